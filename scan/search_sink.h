#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "scan/marking_verdict.h"
#include "scan/result_row.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

struct SearchProgress {
    std::uint64_t foldersListed = 0;
    std::uint64_t documentsExamined = 0;  // files that matched the extension and were checked
    std::uint64_t documentsMarked = 0;
    std::uint64_t documentsNotExamined = 0;
};

// Where a walk delivers what it finds. Calls come from the thread that runs SearchFolder, in walk
// order.
class SearchSink {
  public:
    virtual ~SearchSink() = default;

    // Every document with the verdict Marked, in walk order.
    virtual void AddResultRow(const ResultRow& row) = 0;

    // Every matching file with the verdict NotExamined, in walk order.
    virtual void NoteNotExamined(const std::filesystem::path& /*path*/,
                                 NotExaminedReason /*reason*/) {}

    // Every folder that could not be listed, in walk order, and why; it was skipped with all
    // below it.
    virtual void NoteFolderNotListed(const std::filesystem::path& /*folder*/,
                                     FolderNotListedReason /*reason*/) {}

    // Called now and then during the walk (at least once per folder).
    virtual void NoteProgress(const SearchProgress& /*progress*/) {}

    // The search could not go on (a worker failed in a way no single document explains); it ends
    // after what was already told, and this is the last call. `what` is the failure's own text.
    virtual void NoteSearchFailed(const std::string& /*what*/) {}

    // Polled between files; true ends the walk early, keeping what was found.
    virtual bool StopRequested() { return false; }
};

}  // namespace kalvor::scan
