#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace kalvor::scan {

// Asks the system to read the first bytes of the documents a search will examine next, once its
// reads have shown that they wait for the disk, so that on a cold disk many reads are in flight
// while the examiners stay one per core. On a warm page cache it starts no thread and asks
// nothing. One per search: nothing it learns reaches another search.
//
// The search tells it, in order, each step it queues for examination and how far its examiners
// have claimed them; every call may come from any thread.
class ColdReadAhead {
  public:
    // `window`: how many queued steps at most lie between the oldest one not claimed yet and the
    // newest.
    explicit ColdReadAhead(std::size_t window);
    ~ColdReadAhead() { Stop(); }
    ColdReadAhead(const ColdReadAhead&) = delete;
    ColdReadAhead& operator=(const ColdReadAhead&) = delete;

    // The next step has been queued: `document`, the document to read ahead, must stay put until
    // the step is claimed; none for a step that reads no document or a name not listed as a plain
    // file, which is never opened without looking.
    void Queued(const std::filesystem::path* document);
    // Every step before `end` has been claimed by an examiner, or needs none.
    void ClaimedBefore(std::uint64_t end);
    // A read of the step `sequence` had to wait for the disk: the steps after it will likely be
    // read from the disk too.
    void NoteCold(std::uint64_t sequence);
    // Asks for no more reads ahead, and waits for those being asked for.
    void Stop();

  private:
    // Starts the threads that ask for reads ahead the first time; the lock must be held.
    void NoteColdLocked(std::uint64_t sequence);
    // The next queued document to ask a read ahead for, copied; the lock must be held.
    std::optional<std::pair<std::uint64_t, std::filesystem::path>> NextLocked();
    void Run();
    void AskForReadsAhead();

    std::mutex mutex_;
    std::condition_variable wanted_;
    std::vector<const std::filesystem::path*> documents_;  // by step, in a ring of the window
    std::uint64_t queued_ = 0;
    std::uint64_t claimed_ = 0;    // every step before this one is claimed or needs none
    std::uint64_t asked_ = 0;      // every step before this one is asked for or claimed
    std::uint64_t coldUntil_ = 0;  // reads are asked ahead for steps before this one
    bool started_ = false;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace kalvor::scan
