#include "platform/memory_budget.h"

#include <algorithm>

#include "platform/memory_size.h"

namespace kalvor::platform {

namespace {

thread_local ExaminationCharges* tExamination = nullptr;

}  // namespace

MemoryBudget& MemoryBudget::Process() {
    static MemoryBudget budget(MemoryForProcess() / 4);
    return budget;
}

std::uint64_t MemoryBudget::Held() const {
    const std::lock_guard lock(mutex_);
    return held_;
}

bool MemoryBudget::TryCharge(std::size_t bytes, MemoryBudget*& charged) {
    charged = tExamination == nullptr ? nullptr : tExamination->budget;
    if (charged == nullptr) {
        return true;
    }
    const std::lock_guard lock(charged->mutex_);
    const std::uint64_t held = charged->held_;
    const std::uint64_t kept = tExamination->alone ? std::min(held, tExamination->kept) : 0;
    if (bytes > charged->total_ || held - kept > charged->total_ - bytes) {
        return false;
    }
    charged->held_ += bytes;
    return true;
}

MemoryBudget* MemoryBudget::Charge(std::size_t bytes) {
    MemoryBudget* charged = nullptr;
    if (!TryCharge(bytes, charged)) {
        throw BudgetExhausted();
    }
    return charged;
}

void MemoryBudget::Give(std::size_t bytes) {
    const std::lock_guard lock(mutex_);
    held_ -= bytes;
}

bool MemoryBudget::Tight() {
    if (tExamination == nullptr) {
        return false;
    }
    MemoryBudget& budget = *tExamination->budget;
    const std::lock_guard lock(budget.mutex_);
    return budget.held_ > budget.total_ / 2 || budget.waitingAlone_ > 0;
}

SharedExamination::SharedExamination(MemoryBudget& budget)
    : budget_(budget), nested_(tExamination != nullptr) {
    if (nested_) {
        return;
    }
    std::unique_lock lock(budget_.mutex_);
    budget_.changed_.wait(lock, [&] { return !budget_.alone_ && budget_.waitingAlone_ == 0; });
    ++budget_.sharing_;
    charges_.budget = &budget_;
    tExamination = &charges_;
}

SharedExamination::~SharedExamination() {
    if (nested_) {
        return;
    }
    tExamination = nullptr;
    {
        const std::lock_guard lock(budget_.mutex_);
        --budget_.sharing_;
    }
    budget_.changed_.notify_all();
}

LoneExamination::LoneExamination(MemoryBudget& budget) : budget_(budget) {
    std::unique_lock lock(budget_.mutex_);
    ++budget_.waitingAlone_;
    budget_.changed_.wait(lock, [&] { return !budget_.alone_ && budget_.sharing_ == 0; });
    --budget_.waitingAlone_;
    budget_.alone_ = true;
    charges_ = {.budget = &budget_, .alone = true, .kept = budget_.held_};
    tExamination = &charges_;
}

LoneExamination::~LoneExamination() {
    tExamination = nullptr;
    {
        const std::lock_guard lock(budget_.mutex_);
        budget_.alone_ = false;
    }
    budget_.changed_.notify_all();
}

}  // namespace kalvor::platform
