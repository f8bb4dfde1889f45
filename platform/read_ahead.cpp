#include "platform/read_ahead.h"

#include <atomic>

namespace kalvor::platform {

namespace {

std::atomic<std::uint64_t> readsThatWaited{0};

}  // namespace

std::uint64_t ReadsThatWaited() {
    return readsThatWaited.load(std::memory_order_relaxed);
}

void NoteReadWaited() {
    readsThatWaited.fetch_add(1, std::memory_order_relaxed);
}

}  // namespace kalvor::platform
