#pragma once

#include "cfb/memory_hook.h"

namespace kalvor::scan {

// The memory the readers of formats take, charged to the budget of the examination under way on
// the taking thread (platform::MemoryBudget), and the system asked to back their large buffers
// with huge pages.
cfb::MemoryHook& ExaminationMemory();

}  // namespace kalvor::scan
