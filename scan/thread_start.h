#pragma once

#include <functional>
#include <thread>
#include <vector>

namespace kalvor::scan {

// Adds up to `count` threads running `run` to `threads`; fewer when the system will start no more
// (a limit on threads or memory), so a search goes on with the threads it has. Where `threads`
// has room for them, nothing but a refused thread stops it, and it never throws.
void StartThreads(std::vector<std::thread>& threads, unsigned count,
                  const std::function<void()>& run);

}  // namespace kalvor::scan
