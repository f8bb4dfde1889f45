#pragma once

#include "scan/result_row.h"

namespace kalvor::results {

// A row of the results list that an action works on: where it stands, and the file it lists.
struct SelectedRow {
    int row = 0;
    scan::ResultRow file;
};

}  // namespace kalvor::results
