#include "platform/read_ahead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>

#include "platform/posix/unique_fd.h"

// The call that tells how much of a file the page cache holds, without reading it, is newer than
// some system headers; calls this new have one number on x86-64 and ARM64 alike.
#if !defined(SYS_cachestat) && (defined(__x86_64__) || defined(__aarch64__))
#define SYS_cachestat 451
#endif

namespace kalvor::platform {

namespace {

// Whether the page cache holds all of the first `length` bytes; false where the system cannot
// tell. Asked without reading, so a document that the examiner will refuse (read-only, held by
// another program) is not read, and its access time stays as it was.
bool AllCached(int fd, std::uint64_t length) {
#if defined(SYS_cachestat)
    struct {
        std::uint64_t offset;
        std::uint64_t length;
    } range{0, length};
    struct {
        std::uint64_t cached, dirty, writeback, evicted, recentlyEvicted;
    } pages{};
    const auto pageSize = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    return syscall(SYS_cachestat, fd, &range, &pages, 0) == 0 &&
           pages.cached >= (length + pageSize - 1) / pageSize;
#else
    return false;
#endif
}

}  // namespace

ReadAhead RequestReadAhead(const std::filesystem::path& path, std::uint64_t bytes) {
    const UniqueFd file(
        open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW));
    struct stat status {};
    if (!file.Valid() || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return ReadAhead::NotDone;
    }
    const std::uint64_t length = std::min(bytes, static_cast<std::uint64_t>(status.st_size));
    if (length == 0 || AllCached(file.Get(), length)) {
        return ReadAhead::AlreadyCached;
    }
    return posix_fadvise(file.Get(), 0, static_cast<off_t>(length), POSIX_FADV_WILLNEED) == 0
               ? ReadAhead::Requested
               : ReadAhead::NotDone;
}

}  // namespace kalvor::platform
