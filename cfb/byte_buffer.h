#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

#include "cfb/charged_memory.h"
#include "cfb/memory_hook.h"

namespace kalvor::cfb {

// Memory for bytes that are always written before they are read: it grows without copying or
// clearing what it held, since nothing of it is kept from one use to the next. What it holds is
// charged through `memory` as it is taken.
class ByteBuffer {
  public:
    explicit ByteBuffer(MemoryHook& memory) : memory_(&memory), charge_(memory) {}

    // The first `size` bytes, with whatever they held before.
    std::span<std::uint8_t> Take(std::size_t size);

    // The most bytes taken since the buffer last moved: what it holds in memory.
    std::size_t Used() const { return used_; }

  private:
    void AdviseFilledHugePages(std::size_t size);

    struct Release {
        std::align_val_t alignment;
        void operator()(std::uint8_t* bytes) const { ::operator delete[](bytes, alignment); }
    };

    std::unique_ptr<std::uint8_t[], Release> bytes_{nullptr, Release{std::align_val_t{1}}};
    std::size_t capacity_ = 0;
    std::size_t used_ = 0;
    std::size_t advised_ = 0;  // bytes from the start asked to be backed by huge pages
    MemoryHook* memory_;
    MemoryCharge charge_;  // for used_
};

}  // namespace kalvor::cfb
