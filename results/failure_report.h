#pragma once

#include <QString>
#include <vector>

#include "results/action_error.h"

namespace kalvor::results {

class ResultsModel;

// What became of one row's file.
struct RowNote {
    int row = 0;
    QString note;
};

// One line per row, top to bottom: the file's path as the list shows it and the note, under
// `heading`, whose %1 takes the number of rows.
QString RowReport(const QString& heading, std::vector<RowNote> notes, const ResultsModel& model);

// RowReport with the reason of each failure as its note.
QString FailureReport(const QString& heading, const std::vector<RowFailure>& failures,
                      const ResultsModel& model);

}  // namespace kalvor::results
