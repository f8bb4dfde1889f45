#pragma once

#include <string>
#include <vector>

#include "results/not_examined.h"

class QWidget;

namespace kalvor::results {

class ResultsModel;

// The results as a report to hand in: CSV in UTF-8 with a byte-order mark, so that spreadsheet
// programs on Windows and WPS read the Chinese text as it is. A header record of the five column
// titles, then the rows as they stand, cell by cell as the list shows them; then, after an empty
// line, the documents not examined and the folders not listed with their reasons, when there are
// any. Each record that names a file ends in a field saying whether its path is escaped.
std::string ExportText(const ResultsModel& results,
                       const std::vector<NotExaminedFile>& notExamined);

// Asks for a file and writes the report to it, whole or not at all; warns why when it could not.
void ExportResults(QWidget* owner, const ResultsModel& results,
                   const std::vector<NotExaminedFile>& notExamined);

}  // namespace kalvor::results
