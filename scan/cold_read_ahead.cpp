#include "scan/cold_read_ahead.h"

#include <algorithm>
#include <new>

#include "cfb/windowed_file.h"
#include "platform/read_ahead.h"
#include "scan/thread_start.h"

namespace kalvor::scan {

namespace {

// Threads that ask for reads ahead: each waits on the disk only to open a file, so a few keep
// many reads in flight.
constexpr unsigned kThreads = 4;
// How many steps ahead of the examiners reads are asked for: enough to keep the disk busy while
// one examiner reads a stream of many megabytes.
constexpr std::uint64_t kReach = 32;
// How long after the last sign of a cold disk reads are still asked ahead, in steps.
constexpr std::uint64_t kColdSpan = 2 * kReach;

}  // namespace

ColdReadAhead::ColdReadAhead(std::size_t window) : documents_(std::max<std::size_t>(window, 1)) {
    // Room for the threads is made here, so that starting them later, on an examiner's thread,
    // can fail only for want of threads and never throws out of it.
    threads_.reserve(kThreads);
}

void ColdReadAhead::Stop() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wanted_.notify_all();
    for (std::thread& thread : threads_) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

void ColdReadAhead::Queued(const std::filesystem::path* document) {
    {
        const std::lock_guard lock(mutex_);
        documents_[queued_++ % documents_.size()] = document;
    }
    if (document != nullptr) {
        wanted_.notify_one();
    }
}

void ColdReadAhead::ClaimedBefore(std::uint64_t end) {
    const std::lock_guard lock(mutex_);
    claimed_ = std::max(claimed_, end);
}

void ColdReadAhead::NoteCold(std::uint64_t sequence) {
    const std::lock_guard lock(mutex_);
    NoteColdLocked(sequence);
}

void ColdReadAhead::NoteColdLocked(std::uint64_t sequence) {
    coldUntil_ = std::max(coldUntil_, sequence + kColdSpan);
    if (!started_ && !stopping_) {
        started_ = true;
        // Reads ahead only save time: the threads there are, if any, do them.
        StartThreads(threads_, kThreads, [this] { Run(); });
    }
    wanted_.notify_all();
}

std::optional<std::pair<std::uint64_t, std::filesystem::path>> ColdReadAhead::NextLocked() {
    asked_ = std::max(asked_, claimed_);
    const std::uint64_t end = std::min({queued_, claimed_ + kReach, coldUntil_});
    for (; asked_ < end; ++asked_) {
        // Not claimed yet, so the search keeps the name where it was queued.
        if (const std::filesystem::path* document = documents_[asked_ % documents_.size()]) {
            return std::pair(asked_++, *document);
        }
    }
    return std::nullopt;
}

void ColdReadAhead::Run() {
    try {
        AskForReadsAhead();
    } catch (const std::bad_alloc&) {
        // Without memory to copy a name this thread stops: reads ahead only save time.
    }
}

void ColdReadAhead::AskForReadsAhead() {
    std::unique_lock lock(mutex_);
    while (true) {
        std::optional<std::pair<std::uint64_t, std::filesystem::path>> next;
        wanted_.wait(lock, [&] { return stopping_ || (next = NextLocked()); });
        if (stopping_) {
            return;
        }
        lock.unlock();
        const platform::ReadAhead outcome =
            platform::RequestReadAhead(next->second, cfb::WindowedFile::kFirstWindow);
        lock.lock();
        // The examiners' reads no longer wait once reads ahead serve them: the reads asked for
        // here keep telling that the disk is cold.
        if (outcome == platform::ReadAhead::Requested) {
            NoteColdLocked(next->first);
        }
    }
}

}  // namespace kalvor::scan
