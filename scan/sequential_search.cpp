#include "scan/sequential_search.h"

#include <exception>
#include <utility>

#include "scan/search_delivery.h"
#include "scan/search_failure.h"

namespace kalvor::scan {

namespace {

class SequentialSearch final : public TreeVisitor {
  public:
    SequentialSearch(SearchSink& sink, const DocumentExaminer& examiner, ExaminerCount /*one*/)
        : sink_(sink), examiner_(examiner) {
        memory_.folders = &folders_;
    }

    void FolderListed() override {
        ++progress_.foldersListed;
        sink_.NoteProgress(progress_);
    }

    void FolderNotListed(const std::filesystem::path& folder,
                         FolderNotListedReason reason) override {
        sink_.NoteFolderNotListed(folder, reason);
    }

    void DocumentFound(FoundDocument document) override {
        Examination examination;
        try {
            examination = examiner_.Examine(document, memory_);
        } catch (...) {
            failure_ = std::current_exception();
            return;
        }
        DeliverExamination(std::move(document), std::move(examination), sink_, progress_);
    }

    bool StopRequested() override { return failure_ || sink_.StopRequested(); }

    SearchProgress Finish() const { return progress_; }
    std::exception_ptr Failure() const { return failure_; }

  private:
    SearchSink& sink_;
    const DocumentExaminer& examiner_;
    SearchProgress progress_;
    platform::OpenedFolders folders_;
    WorkerMemory memory_;
    std::exception_ptr failure_;
};

}  // namespace

SearchProgress SearchOneByOne(const std::filesystem::path& base, const DocumentTypes& types,
                              const DocumentExaminer& examiner, SearchSink& sink,
                              platform::IncludedAccess include) {
    return SearchTellingFailure<SequentialSearch>(base, types, examiner, sink, {}, include);
}

}  // namespace kalvor::scan
