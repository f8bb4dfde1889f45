#pragma once

#include <cstddef>

namespace kalvor::cfb {

// Who pays for the memory a reader takes, and what the system is told of it: handed to the reader
// by whoever runs it, so that the reader itself knows no budget and no system. Asked once per
// allocation, never per byte.
class MemoryHook {
  public:
    // Charges `bytes` about to be taken to whoever pays for memory now, and returns who that is,
    // to be given them back; null when nobody pays for them. Throws std::bad_alloc, charging
    // nothing, when they may not be taken.
    virtual void* Charge(std::size_t bytes) = 0;
    // Gives back `bytes` that Charge charged to `payer` (never null).
    virtual void Give(void* payer, std::size_t bytes) noexcept = 0;

    // Whole huge pages of a buffer, aligned to one, that are about to be filled.
    virtual void AdviseLargeBuffer(void* start, std::size_t bytes) = 0;

  protected:
    ~MemoryHook() = default;
};

// Memory nobody pays for, and no advice: for reading outside any search (tests, tools).
MemoryHook& UnchargedMemory();

}  // namespace kalvor::cfb
