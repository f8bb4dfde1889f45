#include "platform/memory_size.h"

#include <windows.h>

#include <algorithm>
#include <limits>

namespace kalvor::platform {

namespace {

// The limit of the job the process belongs to on the memory of a process, or of the whole job;
// none where it belongs to no job or the job sets no such limit.
std::uint64_t JobLimit() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    if (!QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &info, sizeof(info),
                                   nullptr)) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
    if (info.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_PROCESS_MEMORY) {
        limit = std::min<std::uint64_t>(limit, info.ProcessMemoryLimit);
    }
    if (info.BasicLimitInformation.LimitFlags & JOB_OBJECT_LIMIT_JOB_MEMORY) {
        limit = std::min<std::uint64_t>(limit, info.JobMemoryLimit);
    }
    return limit;
}

}  // namespace

std::uint64_t MemoryForProcess() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status)) {
        return JobLimit();
    }
    return std::min({static_cast<std::uint64_t>(status.ullTotalPhys),
                     static_cast<std::uint64_t>(status.ullTotalVirtual), JobLimit()});
}

}  // namespace kalvor::platform
