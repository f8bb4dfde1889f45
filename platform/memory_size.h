#pragma once

#include <cstdint>

namespace kalvor::platform {

// The memory this process may have: the machine's physical memory, or less where a limit is set
// on the process (its address space or data on POSIX, the control group it runs in on Linux, the
// job it belongs to on Windows).
std::uint64_t MemoryForProcess();

}  // namespace kalvor::platform
