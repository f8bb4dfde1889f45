#include "results/search_feed.h"

#include <utility>

namespace kalvor::results {

void SearchFeed::AddResultRow(const scan::ResultRow& row) {
    const std::lock_guard lock(mutex_);
    pending_.rows.push_back(row);
}

void SearchFeed::NoteNotExamined(const std::filesystem::path& path,
                                 scan::NotExaminedReason reason) {
    Note({path, reason});
}

void SearchFeed::NoteFolderNotListed(const std::filesystem::path& folder,
                                     scan::FolderNotListedReason reason) {
    Note({folder, reason});
}

void SearchFeed::Note(NotExaminedFile entry) {
    const std::lock_guard lock(mutex_);
    pending_.notExamined.push_back(std::move(entry));
}

void SearchFeed::NoteProgress(const scan::SearchProgress& progress) {
    const std::lock_guard lock(mutex_);
    pending_.progress = progress;
}

void SearchFeed::NoteSearchFailed(const std::string& what) {
    const std::lock_guard lock(mutex_);
    failure_ = what;
}

std::optional<std::string> SearchFeed::Failure() {
    const std::lock_guard lock(mutex_);
    return failure_;
}

bool SearchFeed::StopRequested() {
    return stopRequested_.load(std::memory_order_relaxed);
}

void SearchFeed::RequestStop() {
    stopRequested_.store(true, std::memory_order_relaxed);
}

SearchNews SearchFeed::TakeNews() {
    const std::lock_guard lock(mutex_);
    SearchNews news;
    news.progress = pending_.progress;
    std::swap(news.rows, pending_.rows);
    std::swap(news.notExamined, pending_.notExamined);
    return news;
}

}  // namespace kalvor::results
