#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

namespace kalvor::platform {

// Memory a budget cannot give: for whoever asked, memory that cannot be had.
class BudgetExhausted final : public std::bad_alloc {
  public:
    const char* what() const noexcept override { return "examination memory budget exhausted"; }
};

// The memory that examining documents may hold in one process, all examinations together,
// however many run at once. What a document makes an examiner allocate is charged, before it is
// had, to the budget of the examination under way on the allocating thread, and given back when
// it is freed, whenever that is: memory an examiner keeps for its next document stays charged.
//
// A charge that does not fit is refused at once, never waited for, since whoever asks may hold
// memory that others would wait for. An examination that could not have its memory gives back
// what it holds and runs again alone (LoneExamination), once the others are done, with the whole
// budget beside what the others keep; refused then, it cannot be done. Examiners keep memory
// only while less than half the budget is held (Tight), so all of them together never hold more
// than one and a half times the budget, and whether a document can be examined never depends on
// what was examined beside it.
class MemoryBudget {
  public:
    explicit MemoryBudget(std::uint64_t bytes) : total_(bytes) {}
    MemoryBudget(const MemoryBudget&) = delete;
    MemoryBudget& operator=(const MemoryBudget&) = delete;

    // The process's: a quarter of the memory the process may have (MemoryForProcess()).
    static MemoryBudget& Process();

    std::uint64_t Held() const;

    // Charges `bytes` to the budget of the examination under way on this thread, and returns that
    // budget, to be given them back; outside examinations nothing is charged and it returns null.
    // Throws BudgetExhausted when they do not fit.
    static MemoryBudget* Charge(std::size_t bytes);
    // As Charge, for callers that must not throw: false when they do not fit.
    static bool TryCharge(std::size_t bytes, MemoryBudget*& charged);
    void Give(std::size_t bytes);

    // Whether the examination under way on this thread should keep no memory for the next
    // document: its budget is more than half held, or an examination waits to run alone.
    static bool Tight();

  private:
    friend class SharedExamination;
    friend class LoneExamination;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    const std::uint64_t total_;
    std::uint64_t held_ = 0;
    unsigned sharing_ = 0;       // examinations under way beside one another
    unsigned waitingAlone_ = 0;  // examinations waiting to run alone
    bool alone_ = false;         // an examination runs alone
};

// What the examination under way on a thread is charged to.
struct ExaminationCharges {
    MemoryBudget* budget = nullptr;
    bool alone = false;
    std::uint64_t kept = 0;  // alone: what the budget held when it began, kept by examiners
};

// An examination on the calling thread under `budget`, beside any others. Waits while an
// examination runs alone or waits to. Within an examination already under way on the thread, it
// is part of that one.
class SharedExamination {
  public:
    explicit SharedExamination(MemoryBudget& budget);
    ~SharedExamination();
    SharedExamination(const SharedExamination&) = delete;
    SharedExamination& operator=(const SharedExamination&) = delete;

  private:
    MemoryBudget& budget_;
    ExaminationCharges charges_;
    bool nested_;
};

// An examination on the calling thread with `budget` to itself: waits until no other is under
// way, and holds off new ones until it is done. It may have the whole budget beside what the
// others keep for their next document.
class LoneExamination {
  public:
    explicit LoneExamination(MemoryBudget& budget);
    ~LoneExamination();
    LoneExamination(const LoneExamination&) = delete;
    LoneExamination& operator=(const LoneExamination&) = delete;

  private:
    MemoryBudget& budget_;
    ExaminationCharges charges_;
};

}  // namespace kalvor::platform
