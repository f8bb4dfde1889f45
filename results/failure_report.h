#pragma once

#include <QString>
#include <vector>

#include "results/action_error.h"

namespace kalvor::results {

class ResultsModel;

// One line per failed row, top to bottom: the file's path as the list shows it and the reason,
// under `heading`, whose %1 takes the number of rows.
QString FailureReport(const QString& heading, const std::vector<RowFailure>& failures,
                      const ResultsModel& model);

}  // namespace kalvor::results
