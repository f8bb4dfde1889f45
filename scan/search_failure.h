#pragma once

#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "scan/document_format.h"
#include "scan/search_options.h"
#include "scan/search_sink.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

// A search's sink, watched, so that what the sink itself throws can be told from a failure of the
// search: the one is its caller's to handle, the other must not end the program.
class WatchedSink final : public SearchSink {
  public:
    explicit WatchedSink(SearchSink& sink) : sink_(sink) {}

    void AddResultRow(const ResultRow& row) override;
    void NoteNotExamined(const std::filesystem::path& path, NotExaminedReason reason) override;
    void NoteFolderNotListed(const std::filesystem::path& folder,
                             FolderNotListedReason reason) override;
    void NoteProgress(const SearchProgress& progress) override;
    void NoteSearchFailed(const std::string& what) override;
    bool StopRequested() override;

    bool Threw() const { return threw_; }

  private:
    template <typename Call>
    auto Watch(Call call) {
        try {
            return call();
        } catch (...) {
            threw_ = true;
            throw;
        }
    }

    SearchSink& sink_;
    bool threw_ = false;
};

// The failure's own text, for SearchSink::NoteSearchFailed.
std::string DescribeFailure(const std::exception_ptr& failure);

// Searches `base` with a `Search`: a TreeVisitor made from a sink, the examiner and its count,
// whose Finish() tells the sink what is still pending and returns the counts, and whose Failure()
// is what an examination threw, which ended the search there. Should the walk or an examination
// fail, the sink still hears everything found before, in walk order, and then NoteSearchFailed;
// only what the sink itself throws goes on to the caller.
template <typename Search>
SearchProgress SearchTellingFailure(const std::filesystem::path& base, const DocumentTypes& types,
                                    const DocumentExaminer& examiner, SearchSink& sink,
                                    ExaminerCount examiners, platform::IncludedAccess include) {
    WatchedSink watched(sink);
    std::exception_ptr failure;
    const auto attempt = [&](auto&& step) {
        try {
            step();
        } catch (...) {
            if (watched.Threw()) {
                throw;
            }
            failure = std::current_exception();
        }
    };
    std::optional<Search> search;
    attempt([&] {
        search.emplace(watched, examiner, examiners);
        // A search of one document after another starts no threads, for listing either.
        WalkTree(base, types, *search, include,
                 examiners.jobs > 1 ? FolderListing::AheadOnceWaited : FolderListing::OneAtATime);
    });
    SearchProgress progress;
    if (search.has_value()) {
        attempt([&] { progress = search->Finish(); });
        // An examination that failed comes before anything the walk met after it.
        if (search->Failure()) {
            failure = search->Failure();
        }
    }
    if (failure) {
        watched.NoteSearchFailed(DescribeFailure(failure));
    }
    return progress;
}

}  // namespace kalvor::scan
