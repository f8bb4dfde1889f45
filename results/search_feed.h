#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "results/not_examined.h"
#include "scan/folder_search.h"

namespace kalvor::results {

// What a walk reported since it was last asked.
struct SearchNews {
    std::vector<scan::ResultRow> rows;         // in walk order
    std::vector<NotExaminedFile> notExamined;  // documents and unlisted folders, in walk order
    scan::SearchProgress progress;             // the latest counts
};

// Carries a walk's findings from its worker thread to the window's thread, in walk order, and a
// stop request the other way.
class SearchFeed final : public scan::SearchSink {
  public:
    void AddResultRow(const scan::ResultRow& row) override;
    void NoteNotExamined(const std::filesystem::path& path,
                         scan::NotExaminedReason reason) override;
    void NoteFolderNotListed(const std::filesystem::path& folder,
                             scan::FolderNotListedReason reason) override;
    void NoteProgress(const scan::SearchProgress& progress) override;
    void NoteSearchFailed(const std::string& what) override;
    bool StopRequested() override;

    void RequestStop();
    SearchNews TakeNews();
    // Why the walk had to end early, once it has ended so.
    std::optional<std::string> Failure();

  private:
    void Note(NotExaminedFile entry);

    std::mutex mutex_;
    SearchNews pending_;
    std::optional<std::string> failure_;
    std::atomic<bool> stopRequested_ = false;
};

}  // namespace kalvor::results
