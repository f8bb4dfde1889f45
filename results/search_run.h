#pragma once

#include <filesystem>
#include <functional>
#include <string_view>
#include <vector>

#include "results/not_examined.h"
#include "scan/folder_search.h"

class QWidget;

namespace kalvor::results {

using FolderWalk = std::function<scan::SearchProgress(
    const std::filesystem::path& folder, std::string_view extension, scan::SearchSink& sink,
    const scan::SearchOptions& options)>;

// Walks `folder` for ".doc" files on a worker thread. Meanwhile a window-modal progress dialog
// over `owner` shows the counts and offers to cancel, and `addRow` receives each marked
// document on this thread, in walk order. Returns once the walk has ended and every row has
// been handed over, with the documents the walk could not examine and the folders it could not
// list, in walk order.
std::vector<NotExaminedFile> RunSearch(QWidget* owner, const std::filesystem::path& folder,
                                       const FolderWalk& walk,
                                       const std::function<void(const scan::ResultRow&)>& addRow);

}  // namespace kalvor::results
