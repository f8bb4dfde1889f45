#include "scan/folder_search.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <thread>
#include <utility>
#include <vector>

#include "scan/marking_detector.h"
#include "scan/parallel_search.h"
#include "scan/search_delivery.h"
#include "scan/search_failure.h"
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
    SequentialSearch(SearchSink& sink, const SearchOptions& options)
        : sink_(sink), examine_(options.examine) {}

    void FolderListed() override {
        ++progress_.foldersListed;
        sink_.NoteProgress(progress_);
    }

    void FolderNotListed(const std::filesystem::path& folder) override {
        sink_.NoteFolderNotListed(folder);
    }

    void DocumentFound(FoundDocument document) override {
        Examination examination;
        try {
            examination = examine_(document, reader_);
        } catch (...) {
            failure_ = std::current_exception();
            return;
        }
        DeliverExamination(std::move(document), examination, sink_, progress_);
    }

    bool StopRequested() override { return failure_ || sink_.StopRequested(); }

    SearchProgress Finish() const { return progress_; }
    std::exception_ptr Failure() const { return failure_; }

  private:
    SearchSink& sink_;
    DocumentExaminer examine_;
    SearchProgress progress_;
    platform::RootStreamReader reader_;
    std::exception_ptr failure_;
};

}  // namespace

Examination ExamineFoundDocument(const FoundDocument& document,
                                 platform::RootStreamReader& reader) {
    return ExamineDocument(document.path, reader, document.Listed());
}

SearchProgress SearchFolder(const std::filesystem::path& folder, std::string_view extension,
                            SearchSink& sink, const SearchOptions& options) {
    const std::filesystem::path base = WalkBase(folder);
    if (options.jobs > 1) {
        return SearchInParallel(base, extension, sink, options);
    }
    return RunSearch<SequentialSearch>(base, extension, sink, options);
}

bool MatchesExtension(platform::NativeName name, std::string_view extension) {
    const std::size_t dot = name.rfind('.');
    return EqualIgnoringAsciiCase(dot == name.npos ? name : name.substr(dot), extension);
}

}  // namespace kalvor::scan
