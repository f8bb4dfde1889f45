#include "cfb/charged_memory.h"

#include <utility>

namespace kalvor::cfb {

namespace {

// Room before a charged block for who it was charged to, keeping the block aligned.
constexpr std::size_t kChargedHeader = alignof(std::max_align_t);
static_assert(sizeof(void*) <= kChargedHeader);

}  // namespace

MemoryCharge::MemoryCharge(MemoryCharge&& other) noexcept
    : memory_(other.memory_),
      payer_(std::exchange(other.payer_, nullptr)),
      bytes_(std::exchange(other.bytes_, 0)) {}

MemoryCharge& MemoryCharge::operator=(MemoryCharge&& other) noexcept {
    if (this != &other) {
        Clear();
        memory_ = other.memory_;
        payer_ = std::exchange(other.payer_, nullptr);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

void MemoryCharge::Add(std::size_t bytes) {
    void* const payer = memory_->Charge(bytes);
    if (payer == payer_) {
        bytes_ += payer == nullptr ? 0 : bytes;
        return;
    }
    // What was charged to another payer moves to this one, or is no longer charged where nobody
    // pays.
    MemoryCharge moved(*memory_);
    moved.payer_ = payer;
    moved.bytes_ = payer == nullptr ? 0 : bytes;
    moved.Add(bytes_);
    *this = std::move(moved);
}

void MemoryCharge::Clear() noexcept {
    if (payer_ != nullptr) {
        memory_->Give(payer_, bytes_);
    }
    payer_ = nullptr;
    bytes_ = 0;
}

void* AllocateCharged(MemoryHook& memory, std::size_t bytes) {
    void* const payer = memory.Charge(bytes);
    try {
        auto* block = static_cast<unsigned char*>(::operator new(kChargedHeader + bytes));
        *reinterpret_cast<void**>(block) = payer;
        return block + kChargedHeader;
    } catch (...) {
        if (payer != nullptr) {
            memory.Give(payer, bytes);
        }
        throw;
    }
}

void FreeCharged(MemoryHook& memory, void* block, std::size_t bytes) noexcept {
    if (block == nullptr) {
        return;
    }
    unsigned char* const start = static_cast<unsigned char*>(block) - kChargedHeader;
    if (void* const payer = *reinterpret_cast<void**>(start); payer != nullptr) {
        memory.Give(payer, bytes);
    }
    ::operator delete(start);
}

}  // namespace kalvor::cfb
