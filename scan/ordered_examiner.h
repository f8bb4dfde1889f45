#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "scan/cold_read_ahead.h"
#include "scan/document_format.h"
#include "scan/marking_verdict.h"
#include "scan/search_options.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

// One step of a walk, to be told to a search's sink in walk order.
struct WalkEvent {
    enum class Kind { FolderListed, FolderNotListed, Document };

    Kind kind = Kind::Document;
    bool stopPolledBefore = false;  // the walk asked whether to stop since the step before
    FolderNotListedReason folderReason = FolderNotListedReason::Unreadable;  // of FolderNotListed
    FoundDocument document;  // for FolderNotListed, `path` is the folder
};

struct FinishedEvent {
    WalkEvent event;
    Examination examination;     // of a Document
    std::exception_ptr failure;  // what examining the Document threw
};

// Examines the documents among queued walk events with `jobs` examiners at once: jobs - 1 threads
// of its own and the thread that queues and takes the events, which examines while it would
// otherwise wait. Events come back in the order they were queued. At most a window of events is
// queued at a time, so memory stays bounded however large the tree; each examiner reuses its
// memory for all its documents. All calls come from one thread. Once its examiners' reads have
// had to wait for the disk or a share, it starts the examiners `whileWaiting` adds, which keep
// that many more documents in progress; where it may add none, it asks for reads ahead of the
// documents queued next instead, on a file system that answers reads asked not to wait (a disk,
// not a share, where the second open a read ahead needs costs more round trips than it spares).
class OrderedExaminer {
  public:
    OrderedExaminer(ExaminerCount examiners, const DocumentExaminer& examiner);
    // Drops what is still queued and waits for the examinations under way.
    ~OrderedExaminer();
    OrderedExaminer(const OrderedExaminer&) = delete;
    OrderedExaminer& operator=(const OrderedExaminer&) = delete;

    bool HasRoom();
    // Only when HasRoom().
    void Add(WalkEvent event);
    // The oldest event when it is finished; nothing otherwise, without waiting.
    std::optional<FinishedEvent> TakeReady();
    // The oldest event, examining documents or waiting until it is finished; nothing when no
    // event is queued.
    std::optional<FinishedEvent> TakeNext();

  private:
    enum class State { Free, Queued, Claimed, Finished };

    struct Slot {
        FinishedEvent finished;
        State state = State::Free;
    };

    Slot& SlotOf(std::uint64_t sequence) { return slots_[sequence % slots_.size()]; }
    // The oldest queued document, now claimed for examination; the lock must be held.
    std::optional<std::uint64_t> ClaimLocked();
    FinishedEvent TakeOldestLocked();
    // Examines the claimed document without the lock and records the outcome with it.
    void Examine(std::uint64_t sequence, WorkerMemory& memory, std::unique_lock<std::mutex>& lock);
    void Work();
    // Starts the examiners added once reads wait, the first time; false where none may be added.
    bool AddExaminersWhileWaiting();

    const DocumentExaminer& examiner_;
    std::mutex mutex_;
    std::condition_variable documentQueued_;
    std::condition_variable eventFinished_;
    std::vector<Slot> slots_;
    std::uint64_t added_ = 0;
    std::uint64_t claimed_ = 0;  // every event before this one is claimed or needs no examination
    std::uint64_t taken_ = 0;
    bool stopping_ = false;
    unsigned examinersWhileWaiting_;
    bool waitingExaminersStarted_ = false;
    // Shared by every examiner's memory.
    platform::OpenedFolders folders_;
    WorkerMemory ownMemory_;
    // Reads the names queued in `slots_`, so it is stopped before they go.
    ColdReadAhead readAhead_;
    std::vector<std::thread> workers_;
};

}  // namespace kalvor::scan
