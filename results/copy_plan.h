#pragma once

#include <atomic>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/file_operations.h"
#include "results/action_error.h"
#include "results/selected_row.h"

namespace kalvor::results {

// One name in the destination folder and the selected rows that copy onto it, lowest row first.
// The lowest that can be copied wins, which is what copying every row top to bottom leaves there.
struct CopyTarget {
    std::filesystem::path destination;
    std::vector<SelectedRow> candidates;
};

// The copies of `selected` (top to bottom) into `folder`, one per name, in the order of their
// lowest rows.
std::vector<CopyTarget> PlanCopies(const std::vector<SelectedRow>& selected,
                                   const std::filesystem::path& folder);

// A selected row whose file the folder did not get because the file of a lower selected row of the
// same name took its place.
struct SupersededCopy {
    int row = 0;
    int by = 0;  // the row whose file the folder holds under that name
};

struct CopyReport {
    std::vector<RowFailure> failures;        // in the order they happened
    std::vector<SupersededCopy> superseded;  // in the order of their targets
    std::vector<int> notCopied;              // rows left when the copying was stopped
};

// Carries out `targets`. A row whose file changed since the search is not copied, nor one whose
// copy would replace any file of `listed` (the files of every row in the list) other than itself;
// the next higher row of the same name is tried instead. The rows above the one copied are
// superseded, unless they list the very file it did. `copied` counts the targets done; `stop` is
// looked at between files.
CopyReport CarryOutCopies(const std::vector<CopyTarget>& targets,
                          const std::vector<platform::FileIdentity>& listed,
                          std::atomic<int>& copied, const std::atomic<bool>& stop);

}  // namespace kalvor::results
