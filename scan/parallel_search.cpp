#include "scan/parallel_search.h"

#include <exception>
#include <utility>

#include "scan/ordered_examiner.h"
#include "scan/search_delivery.h"
#include "scan/search_failure.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

namespace {

// Walks on the calling thread, queues every step of the walk, and tells the sink about each step
// once all steps before it have been told, replaying the walk's questions whether to stop at the
// same places, so the sink sees what a search of one document after another shows it.
class ParallelSearch final : public TreeVisitor {
  public:
    ParallelSearch(SearchSink& sink, const DocumentExaminer& examiner, ExaminerCount examiners)
        : sink_(sink), examiner_(examiners, examiner) {}

    void FolderListed() override { Queue({.kind = WalkEvent::Kind::FolderListed, .document = {}}); }

    void FolderNotListed(const std::filesystem::path& folder,
                         FolderNotListedReason reason) override {
        Queue({.kind = WalkEvent::Kind::FolderNotListed,
               .folderReason = reason,
               .document = {folder, {}, nullptr, {}}});
    }

    void DocumentFound(FoundDocument document) override {
        Queue({.kind = WalkEvent::Kind::Document, .document = std::move(document)});
    }

    bool StopRequested() override {
        stopPolled_ = true;
        return stopped_ || sink_.StopRequested();
    }

    // Tells what is still queued once the walk has ended.
    SearchProgress Finish() {
        while (!stopped_) {
            std::optional<FinishedEvent> finished = examiner_.TakeNext();
            if (!finished.has_value()) {
                break;
            }
            Tell(std::move(*finished));
        }
        return progress_;
    }

    std::exception_ptr Failure() const { return failure_; }

  private:
    void Queue(WalkEvent event) {
        event.stopPolledBefore = std::exchange(stopPolled_, false);
        while (!stopped_ && !examiner_.HasRoom()) {
            Tell(std::move(*examiner_.TakeNext()));
        }
        if (stopped_) {
            return;
        }
        examiner_.Add(std::move(event));
        while (!stopped_) {
            std::optional<FinishedEvent> finished = examiner_.TakeReady();
            if (!finished.has_value()) {
                break;
            }
            Tell(std::move(*finished));
        }
    }

    void Tell(FinishedEvent finished) {
        WalkEvent& event = finished.event;
        if (event.stopPolledBefore && sink_.StopRequested()) {
            stopped_ = true;
            return;
        }
        switch (event.kind) {
            case WalkEvent::Kind::FolderListed:
                ++progress_.foldersListed;
                sink_.NoteProgress(progress_);
                break;
            case WalkEvent::Kind::FolderNotListed:
                sink_.NoteFolderNotListed(event.document.path, event.folderReason);
                break;
            case WalkEvent::Kind::Document:
                if (finished.failure) {
                    // Nothing after it is told, as a search of one document at a time ends there.
                    failure_ = finished.failure;
                    stopped_ = true;
                    return;
                }
                DeliverExamination(std::move(event.document), std::move(finished.examination),
                                   sink_, progress_);
                break;
        }
    }

    SearchSink& sink_;
    OrderedExaminer examiner_;
    SearchProgress progress_;
    bool stopPolled_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

}  // namespace

SearchProgress SearchInParallel(const std::filesystem::path& base, const DocumentTypes& types,
                                const DocumentExaminer& examiner, SearchSink& sink,
                                ExaminerCount examiners, platform::IncludedAccess include) {
    return SearchTellingFailure<ParallelSearch>(base, types, examiner, sink, examiners, include);
}

}  // namespace kalvor::scan
