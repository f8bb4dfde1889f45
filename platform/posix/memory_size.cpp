#include "platform/memory_size.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <limits>
#include <string>

namespace kalvor::platform {

namespace {

std::uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

std::uint64_t ResourceLimit(int resource) {
    rlimit limit{};
    if (getrlimit(resource, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return static_cast<std::uint64_t>(limit.rlim_cur);
}

// The memory limit of the control group the process runs in, under version 2 or version 1 of
// control groups; none where there is no such group or limit.
std::uint64_t ControlGroupLimit() {
    std::uint64_t smallest = std::numeric_limits<std::uint64_t>::max();
    std::ifstream groups("/proc/self/cgroup");
    for (std::string line; std::getline(groups, line);) {
        std::string limitFile;
        if (line.starts_with("0::")) {
            limitFile = "/sys/fs/cgroup" + line.substr(3) + "/memory.max";
        } else if (const std::size_t at = line.find(":memory:"); at != std::string::npos) {
            limitFile = "/sys/fs/cgroup/memory" + line.substr(at + 8) + "/memory.limit_in_bytes";
        } else {
            continue;
        }
        std::ifstream limit(limitFile);
        std::uint64_t bytes = 0;
        if (limit >> bytes) {
            smallest = std::min(smallest, bytes);
        }
    }
    return smallest;
}

}  // namespace

std::uint64_t MemoryForProcess() {
    return std::min({PhysicalMemory(), ResourceLimit(RLIMIT_AS), ResourceLimit(RLIMIT_DATA),
                     ControlGroupLimit()});
}

}  // namespace kalvor::platform
