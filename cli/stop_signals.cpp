#include "cli/stop_signals.h"

#include <atomic>

namespace kalvor::cli {

namespace {

// Only a lock-free atomic may be touched from a signal handler.
static_assert(std::atomic<int>::is_always_lock_free);
std::atomic<int> caughtSignal{0};

}  // namespace

int StopSignal() {
    return caughtSignal.load(std::memory_order_relaxed);
}

void RememberStopSignal(int signal) noexcept {
    int none = 0;
    caughtSignal.compare_exchange_strong(none, signal);
}

}  // namespace kalvor::cli
