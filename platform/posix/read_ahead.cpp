#include "platform/read_ahead.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>

#include <algorithm>

#include "platform/posix/unique_fd.h"

namespace kalvor::platform {

ReadAhead RequestReadAhead(const std::filesystem::path& path, std::uint64_t bytes) {
    const UniqueFd file(
        open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | O_NOFOLLOW));
    struct stat status {};
    if (!file.Valid() || fstat(file.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return ReadAhead::NotDone;
    }
    const std::uint64_t length = std::min(bytes, static_cast<std::uint64_t>(status.st_size));
    if (length == 0) {
        return ReadAhead::AlreadyCached;
    }
    // Whether the last byte of the range is in memory stands for the whole range: one byte is
    // cheap to ask for, and a file read through is in memory to its end.
    std::uint8_t last = 0;
    iovec piece{.iov_base = &last, .iov_len = 1};
    if (preadv2(file.Get(), &piece, 1, static_cast<off_t>(length - 1), RWF_NOWAIT) == 1) {
        return ReadAhead::AlreadyCached;
    }
    return posix_fadvise(file.Get(), 0, static_cast<off_t>(length), POSIX_FADV_WILLNEED) == 0
               ? ReadAhead::Requested
               : ReadAhead::NotDone;
}

}  // namespace kalvor::platform
