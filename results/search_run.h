#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/not_examined.h"
#include "results/search_choice.h"
#include "scan/folder_search.h"

class QWidget;

namespace kalvor::results {

// How a search ended, beyond the rows it delivered.
struct SearchOutcome {
    std::vector<NotExaminedFile> notExamined;  // documents and unlisted folders, in walk order
    scan::SearchProgress progress;             // the last counts the walk told
    bool cancelled = false;                    // the user asked it to stop
    std::optional<std::string> failure;        // why it had to end early, when it did
};

// Walks `folder` for the documents `choice` names on a worker thread, behind the progress of
// RunInBackground, and hands each marked document to `addRow` on this thread, in walk order.
// Returns once the walk has ended and every row has been handed over. A walk that fails, by
// telling its sink or by throwing, ends the search with the rows found so far.
SearchOutcome RunSearch(QWidget* owner, const std::filesystem::path& folder,
                        const SearchChoice& choice, const scan::FolderSearch& search,
                        const std::function<void(const scan::ResultRow&)>& addRow);

// The summary box's text for a search for `types` that ended as `outcome` says with `rows` rows
// listed; a second line counts what it could not examine or search, when there is any.
QString SearchSummary(const SearchOutcome& outcome, int rows, const scan::DocumentTypes& types);

// Why a search of `folder` searched nothing at all, its folder being one it could not list;
// nothing when it listed the folder (or ended before it could try).
std::optional<QString> FolderNotSearched(const SearchOutcome& outcome);

}  // namespace kalvor::results
