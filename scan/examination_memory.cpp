#include "scan/examination_memory.h"

#include "platform/memory_advice.h"
#include "platform/memory_budget.h"

namespace kalvor::scan {

namespace {

class BudgetedMemory final : public cfb::MemoryHook {
  public:
    void* Charge(std::size_t bytes) override { return platform::MemoryBudget::Charge(bytes); }
    void Give(void* payer, std::size_t bytes) noexcept override {
        static_cast<platform::MemoryBudget*>(payer)->Give(bytes);
    }
    void AdviseLargeBuffer(void* start, std::size_t bytes) override {
        platform::AdviseHugePages(start, bytes);
    }
};

}  // namespace

cfb::MemoryHook& ExaminationMemory() {
    static BudgetedMemory memory;
    return memory;
}

}  // namespace kalvor::scan
