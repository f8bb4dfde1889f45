#pragma once

#include <QString>
#include <vector>

#include "results/copy_plan.h"
#include "results/selected_row.h"

namespace kalvor::results {

// The message that ends a copy, a paragraph for each way a selected file did not go into the
// folder: it could not be copied (and why), the file of a lower selected row of the same name took
// its place (and which row), or the copy was stopped before it. Empty when every file went in.
// `selection` holds every row of the report, top to bottom.
QString CopyOutcomeText(const CopyReport& report, const std::vector<SelectedRow>& selection);

// The rows whose files the folder did not get from them, in any order.
std::vector<int> RowsNotCopied(const CopyReport& report);

}  // namespace kalvor::results
