#include "scan/folder_search.h"

#include <algorithm>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "scan/marking_detector.h"
#include "scan/parallel_search.h"
#include "scan/search_delivery.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

unsigned DefaultJobs() {
    return std::max(1U, std::thread::hardware_concurrency());
}

namespace {

// `a` in the file system's characters (bytes here, UTF-16 units on Windows), `b` in ASCII.
template <typename Char>
bool EqualIgnoringAsciiCase(std::basic_string_view<Char> a, std::string_view b) {
    const auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(static_cast<Char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Examines each document as the walk finds it, one after another.
class SequentialSearch final : public TreeVisitor {
  public:
    explicit SequentialSearch(SearchSink& sink) : sink_(sink) {}

    void FolderListed() override {
        ++progress_.foldersListed;
        sink_.NoteProgress(progress_);
    }

    void FolderNotListed(const std::filesystem::path& folder) override {
        sink_.NoteFolderNotListed(folder);
    }

    void DocumentFound(FoundDocument document) override {
        const Examination examination = ExamineDocument(document.path, reader_, document.Listed());
        DeliverExamination(std::move(document), examination, sink_, progress_);
    }

    bool StopRequested() override { return sink_.StopRequested(); }

    const SearchProgress& Progress() const { return progress_; }

  private:
    SearchSink& sink_;
    SearchProgress progress_;
    platform::RootStreamReader reader_;
};

}  // namespace

SearchProgress SearchFolder(const std::filesystem::path& folder, std::string_view extension,
                            SearchSink& sink, const SearchOptions& options) {
    const std::filesystem::path base = WalkBase(folder);
    if (options.jobs > 1) {
        return SearchInParallel(base, extension, sink, options.jobs);
    }
    SequentialSearch search(sink);
    WalkTree(base, extension, search);
    return search.Progress();
}

bool MatchesExtension(platform::NativeName name, std::string_view extension) {
    const std::size_t dot = name.rfind('.');
    return EqualIgnoringAsciiCase(dot == name.npos ? name : name.substr(dot), extension);
}

}  // namespace kalvor::scan
