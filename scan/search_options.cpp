#include "scan/search_options.h"

#include <algorithm>
#include <thread>

namespace kalvor::scan {

unsigned DefaultJobs() {
    return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace kalvor::scan
