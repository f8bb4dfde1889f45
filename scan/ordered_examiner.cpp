#include "scan/ordered_examiner.h"

#include <algorithm>
#include <new>
#include <utility>

#include "scan/thread_start.h"

namespace kalvor::scan {

namespace {

// Events in flight per examiner: enough that the other examiners keep busy while one reads a
// stream of many megabytes, few enough that a stop wastes little.
constexpr std::size_t kWindowPerJob = 64;

// What the threads that ask for reads ahead may open: only a name the listing saw as a plain file
// is opened in one step without looking.
const std::filesystem::path* ToReadAhead(const WalkEvent& event) {
    return event.kind == WalkEvent::Kind::Document &&
                   event.document.Listed() == platform::ListedAs::PlainFile
               ? &event.document.path
               : nullptr;
}

}  // namespace

OrderedExaminer::OrderedExaminer(ExaminerCount examiners, const DocumentExaminer& examiner)
    : examiner_(examiner),
      slots_(kWindowPerJob * std::max(examiners.jobs, 1U)),
      examinersWhileWaiting_(
          std::min<std::size_t>(examiners.whileWaiting, slots_.size() - examiners.jobs)),
      readAhead_(slots_.size()) {
    ownMemory_.folders = &folders_;
    // Room for every thread is made here, so that adding examiners later, on an examiner's
    // thread, can fail only for want of threads and never throws out of it.
    workers_.reserve(examiners.jobs + examinersWhileWaiting_);
    // The examiners the system starts, the calling thread among them, do all the work.
    StartThreads(workers_, std::max(examiners.jobs, 1U) - 1, [this] { Work(); });
}

OrderedExaminer::~OrderedExaminer() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    documentQueued_.notify_all();
    readAhead_.Stop();
    for (std::thread& worker : workers_) {
        worker.join();
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
        readAhead_.Queued(ToReadAhead(slot.finished.event));
    }
    if (isDocument) {
        documentQueued_.notify_one();
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
    std::optional<std::uint64_t> claimed;
    if (claimed_ < added_) {
        SlotOf(claimed_).state = State::Claimed;
        claimed = claimed_++;
    }
    readAhead_.ClaimedBefore(claimed_);
    return claimed;
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
    // Reads ahead open each document a second time: on a share, that is more round trips than
    // the read they would spare.
    if (memory.diskReads.TakeReadWaited() && !AddExaminersWhileWaiting() &&
        memory.diskReads.AskWithoutWaiting()) {
        readAhead_.NoteCold(sequence);
    }
    lock.lock();
    slot.finished.examination = std::move(examination);
    slot.finished.failure = failure;
    slot.state = State::Finished;
}

bool OrderedExaminer::AddExaminersWhileWaiting() {
    if (examinersWhileWaiting_ == 0) {
        return false;
    }
    const std::lock_guard lock(mutex_);
    if (!waitingExaminersStarted_ && !stopping_) {
        waitingExaminersStarted_ = true;
        StartThreads(workers_, examinersWhileWaiting_, [this] { Work(); });
    }
    return true;
}

void OrderedExaminer::Work() {
    std::optional<WorkerMemory> memory;
    try {
        memory.emplace();
        memory->folders = &folders_;
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
