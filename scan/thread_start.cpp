#include "scan/thread_start.h"

#include <system_error>

namespace kalvor::scan {

void StartThreads(std::vector<std::thread>& threads, unsigned count,
                  const std::function<void()>& run) {
    for (unsigned i = 0; i < count; ++i) {
        try {
            threads.emplace_back(run);
        } catch (const std::system_error&) {
            return;
        }
    }
}

}  // namespace kalvor::scan
