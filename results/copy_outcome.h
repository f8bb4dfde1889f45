#pragma once

#include <QString>
#include <vector>

#include "results/copy_plan.h"

namespace kalvor::results {

class ResultsModel;

// The message that ends a copy, a paragraph for each way a selected file did not go into the
// folder: it could not be copied (and why), the file of a lower selected row of the same name took
// its place (and which row), or the copy was stopped before it. Empty when every file went in.
QString CopyOutcomeText(const CopyReport& report, const ResultsModel& model);

// The rows whose files the folder did not get from them, in any order.
std::vector<int> RowsNotCopied(const CopyReport& report);

}  // namespace kalvor::results
