#pragma once

#include <QString>
#include <vector>

#include "results/action_error.h"
#include "results/selected_row.h"

namespace kalvor::results {

// What became of one row's file.
struct RowNote {
    int row = 0;
    QString note;
};

// One line per row, top to bottom: the file's path as the list shows it and the note, under
// `heading`, whose %1 takes the number of rows. Every row noted is one of `selection` (top to
// bottom).
QString RowReport(const QString& heading, std::vector<RowNote> notes,
                  const std::vector<SelectedRow>& selection);

// RowReport with the reason of each failure as its note.
QString FailureReport(const QString& heading, const std::vector<RowFailure>& failures,
                      const std::vector<SelectedRow>& selection);

}  // namespace kalvor::results
