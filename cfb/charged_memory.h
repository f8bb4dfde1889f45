#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>
#include <vector>

#include "cfb/memory_hook.h"

namespace kalvor::cfb {

// Bytes charged through a hook as they are held, given back when the charge goes.
class MemoryCharge {
  public:
    explicit MemoryCharge(MemoryHook& memory) : memory_(&memory) {}
    ~MemoryCharge() { Clear(); }
    MemoryCharge(MemoryCharge&& other) noexcept;
    MemoryCharge& operator=(MemoryCharge&& other) noexcept;

    // Charges `bytes` more (MemoryHook::Charge): throws std::bad_alloc, charging nothing, when
    // they may not be taken. Where another payer pays now than the one charged so far, everything
    // charged moves to it; where nobody pays, nothing stays charged.
    void Add(std::size_t bytes);
    // Gives back everything charged.
    void Clear() noexcept;

  private:
    MemoryHook* memory_;
    void* payer_ = nullptr;
    std::size_t bytes_ = 0;
};

// Blocks charged through `memory` when they are allocated, for containers.
void* AllocateCharged(MemoryHook& memory, std::size_t bytes);
void FreeCharged(MemoryHook& memory, void* block, std::size_t bytes) noexcept;

template <typename T>
class ChargedAllocator {
  public:
    using value_type = T;
    using propagate_on_container_move_assignment = std::true_type;
    using propagate_on_container_swap = std::true_type;

    // Implicit, as std::pmr::polymorphic_allocator is from its memory resource: a container of
    // charged memory is made from the hook alone.
    ChargedAllocator(MemoryHook& memory) noexcept : memory_(&memory) {}  // NOLINT
    template <typename U>
    ChargedAllocator(const ChargedAllocator<U>& other) noexcept  // NOLINT: rebinding
        : memory_(&other.Memory()) {}

    T* allocate(std::size_t count) {
        static_assert(alignof(T) <= alignof(std::max_align_t));
        if (count > SIZE_MAX / sizeof(T)) {
            throw std::bad_array_new_length();
        }
        return static_cast<T*>(AllocateCharged(*memory_, count * sizeof(T)));
    }
    void deallocate(T* items, std::size_t count) noexcept {
        FreeCharged(*memory_, items, count * sizeof(T));
    }

    MemoryHook& Memory() const { return *memory_; }

    friend bool operator==(const ChargedAllocator& a, const ChargedAllocator& b) {
        return a.memory_ == b.memory_;
    }

  private:
    MemoryHook* memory_;
};

template <typename T>
using ChargedVector = std::vector<T, ChargedAllocator<T>>;

}  // namespace kalvor::cfb
