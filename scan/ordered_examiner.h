#pragma once

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "scan/document_format.h"
#include "scan/marking_verdict.h"
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
// memory for all its documents. All calls come from one thread.
//
// Once a read has had to wait for the disk, threads of its own ask the system to read the first
// bytes of the documents queued next, so that on a cold disk many reads are in flight while the
// examiners stay one per core. On a warm page cache it starts no such thread and asks nothing.
class OrderedExaminer {
  public:
    OrderedExaminer(unsigned jobs, const DocumentExaminer& examiner);
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
    // Notes that documents from `sequence` on will likely be read from the disk, starting the
    // threads that ask for reads ahead the first time; the lock must be held.
    void NoteColdLocked(std::uint64_t sequence);
    // The next queued document to ask a read ahead for, copied; the lock must be held.
    std::optional<std::pair<std::uint64_t, std::filesystem::path>> NextToReadAheadLocked();
    void ReadAhead();
    void AskForReadsAhead();

    const DocumentExaminer& examiner_;
    std::mutex mutex_;
    std::condition_variable documentQueued_;
    std::condition_variable eventFinished_;
    std::vector<Slot> slots_;
    std::uint64_t added_ = 0;
    std::uint64_t claimed_ = 0;  // every event before this one is claimed or needs no examination
    std::uint64_t taken_ = 0;
    bool stopping_ = false;
    WorkerMemory ownMemory_;
    std::vector<std::thread> workers_;
    std::condition_variable readAheadWanted_;
    std::uint64_t readAhead_ = 0;  // every document before this one is asked for or claimed
    std::uint64_t coldUntil_ = 0;  // reads are asked ahead for documents before this one
    std::uint64_t readsWaited_;    // platform::ReadsThatWaited() when last looked at
    bool readAheadStarted_ = false;
    std::vector<std::thread> readAheadThreads_;
};

}  // namespace kalvor::scan
