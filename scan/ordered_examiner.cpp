#include "scan/ordered_examiner.h"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

#include "cfb/windowed_file.h"
#include "platform/read_ahead.h"

namespace kalvor::scan {

namespace {

// Events in flight per examiner: enough that the other examiners keep busy while one reads a
// stream of many megabytes, few enough that a stop wastes little.
constexpr std::size_t kWindowPerJob = 64;

// Threads that ask for reads ahead: each waits on the disk only to open a file, so a few keep
// many reads in flight.
constexpr unsigned kReadAheadThreads = 4;
// How many documents ahead of the examiners reads are asked for: enough to keep the disk busy
// while one examiner reads a stream of many megabytes.
constexpr std::uint64_t kReadAheadReach = 32;
// How long after the last sign of a cold disk reads are still asked ahead, in documents.
constexpr std::uint64_t kColdSpan = 2 * kReadAheadReach;

}  // namespace

OrderedExaminer::OrderedExaminer(unsigned jobs, const DocumentExaminer& examiner)
    : examiner_(examiner),
      slots_(kWindowPerJob * std::max(jobs, 1U)),
      readsWaited_(platform::ReadsThatWaited()) {
    // Room for the threads that read ahead is made here, so that starting them later, on an
    // examiner's thread, can fail only for want of threads and never throws out of it.
    readAheadThreads_.reserve(kReadAheadThreads);
    for (unsigned i = 1; i < jobs; ++i) {
        try {
            workers_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // The system will not start another thread (a limit on threads or memory): the
            // examiners already there, the calling thread among them, do all the work.
            break;
        }
    }
}

OrderedExaminer::~OrderedExaminer() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    documentQueued_.notify_all();
    readAheadWanted_.notify_all();
    for (std::thread& worker : workers_) {
        worker.join();
    }
    for (std::thread& thread : readAheadThreads_) {
        thread.join();
    }
}

bool OrderedExaminer::HasRoom() {
    const std::lock_guard lock(mutex_);
    return added_ - taken_ < slots_.size();
}

void OrderedExaminer::Add(WalkEvent event) {
    const bool isDocument = event.kind == WalkEvent::Kind::Document;
    {
        const std::lock_guard lock(mutex_);
        Slot& slot = SlotOf(added_++);
        slot.finished = {std::move(event), {}, nullptr};
        slot.state = isDocument ? State::Queued : State::Finished;
    }
    if (isDocument) {
        documentQueued_.notify_one();
        readAheadWanted_.notify_one();
    }
}

std::optional<FinishedEvent> OrderedExaminer::TakeReady() {
    const std::lock_guard lock(mutex_);
    if (taken_ == added_ || SlotOf(taken_).state != State::Finished) {
        return std::nullopt;
    }
    return TakeOldestLocked();
}

std::optional<FinishedEvent> OrderedExaminer::TakeNext() {
    std::unique_lock lock(mutex_);
    while (taken_ < added_) {
        if (SlotOf(taken_).state == State::Finished) {
            return TakeOldestLocked();
        }
        if (const std::optional<std::uint64_t> claimed = ClaimLocked()) {
            Examine(*claimed, ownMemory_, lock);
        } else {
            eventFinished_.wait(lock);
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> OrderedExaminer::ClaimLocked() {
    while (claimed_ < added_ && SlotOf(claimed_).state != State::Queued) {
        ++claimed_;
    }
    if (claimed_ == added_) {
        return std::nullopt;
    }
    SlotOf(claimed_).state = State::Claimed;
    return claimed_++;
}

FinishedEvent OrderedExaminer::TakeOldestLocked() {
    Slot& slot = SlotOf(taken_++);
    slot.state = State::Free;
    return std::move(slot.finished);
}

void OrderedExaminer::Examine(std::uint64_t sequence, WorkerMemory& memory,
                              std::unique_lock<std::mutex>& lock) {
    // The slot stays put while it is claimed: only the thread that queues events writes to
    // slots, and only to free ones.
    Slot& slot = SlotOf(sequence);
    lock.unlock();
    Examination examination;
    std::exception_ptr failure;
    try {
        examination = examiner_.Examine(slot.finished.event.document, memory);
    } catch (...) {
        failure = std::current_exception();
    }
    lock.lock();
    slot.finished.examination = examination;
    slot.finished.failure = failure;
    slot.state = State::Finished;
    if (const std::uint64_t waited = platform::ReadsThatWaited(); waited != readsWaited_) {
        readsWaited_ = waited;
        NoteColdLocked(sequence);
    }
}

void OrderedExaminer::NoteColdLocked(std::uint64_t sequence) {
    coldUntil_ = std::max(coldUntil_, sequence + kColdSpan);
    if (!readAheadStarted_ && !stopping_) {
        readAheadStarted_ = true;
        try {
            for (unsigned i = 0; i < kReadAheadThreads; ++i) {
                readAheadThreads_.emplace_back([this] { ReadAhead(); });
            }
        } catch (const std::system_error&) {
            // Reads ahead only save time: the threads there are, if any, do them.
        }
    }
    readAheadWanted_.notify_all();
}

std::optional<std::pair<std::uint64_t, std::filesystem::path>>
OrderedExaminer::NextToReadAheadLocked() {
    readAhead_ = std::max(readAhead_, claimed_);
    const std::uint64_t end = std::min({added_, claimed_ + kReadAheadReach, coldUntil_});
    for (; readAhead_ < end; ++readAhead_) {
        const FinishedEvent& queued = SlotOf(readAhead_).finished;
        // Only a name the listing saw as a plain file is opened in one step without looking.
        if (SlotOf(readAhead_).state == State::Queued &&
            queued.event.document.Listed() == platform::ListedAs::PlainFile) {
            return std::pair(readAhead_++, queued.event.document.path);
        }
    }
    return std::nullopt;
}

void OrderedExaminer::ReadAhead() {
    try {
        AskForReadsAhead();
    } catch (const std::bad_alloc&) {
        // Without memory to copy a name this thread stops: reads ahead only save time.
    }
}

void OrderedExaminer::AskForReadsAhead() {
    std::unique_lock lock(mutex_);
    while (true) {
        std::optional<std::pair<std::uint64_t, std::filesystem::path>> next;
        readAheadWanted_.wait(lock, [&] { return stopping_ || (next = NextToReadAheadLocked()); });
        if (stopping_) {
            return;
        }
        lock.unlock();
        const platform::ReadAhead outcome =
            platform::RequestReadAhead(next->second, cfb::WindowedFile::kFirstWindow);
        lock.lock();
        // The examiners' reads no longer wait once reads ahead serve them: the reads asked
        // for here keep telling that the disk is cold.
        if (outcome == platform::ReadAhead::Requested) {
            NoteColdLocked(next->first);
        }
    }
}

void OrderedExaminer::Work() {
    std::optional<WorkerMemory> memory;
    try {
        memory.emplace();
    } catch (const std::bad_alloc&) {
        // Without memory of its own this examiner leaves the work to the others,
        // the calling thread among them.
        return;
    }
    std::unique_lock lock(mutex_);
    while (true) {
        std::optional<std::uint64_t> claimed;
        documentQueued_.wait(lock, [&] { return stopping_ || (claimed = ClaimLocked()); });
        if (stopping_) {
            return;
        }
        Examine(*claimed, *memory, lock);
        eventFinished_.notify_one();
    }
}

}  // namespace kalvor::scan
