#pragma once

#include <cstdint>
#include <filesystem>

namespace kalvor::platform {

enum class ReadAhead {
    AlreadyCached,  // the bytes were in memory: nothing asked
    Requested,      // the system was asked to read them, and nobody waits for it
    NotDone,        // not a regular file, gone, or a system without such requests
};

// Asks the system to bring the first `bytes` of the file at `path` into memory without waiting
// for them, so that the reads of other documents are in flight while an examiner works. For a name
// a folder listing saw as a plain file: a link in its place is not followed, and a FIFO or a device
// renamed there in that moment is at most opened (without blocking), never read.
ReadAhead RequestReadAhead(const std::filesystem::path& path, std::uint64_t bytes);

}  // namespace kalvor::platform
