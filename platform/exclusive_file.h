#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "platform/byte_source.h"

namespace kalvor::platform {

enum class OpenOutcome {
    Opened,
    Missing,         // no such file, or a path the file system rejects
    NotRegularFile,  // a FIFO, socket, device or directory: never opened, so never blocks
    ReadOnly,        // no write permission, a read-only mount, or an immutable file
    Locked,          // another process holds a lock on it
    Unreadable,      // any other failure to open
};

// What a folder listing said of a name a moment before it is opened.
enum class ListedAs {
    Unknown,
    PlainFile,  // a regular file, and the name itself not a link
};

// A document opened the way the platform's storage layer opens it for exclusive read-write
// access: refused when it is read-only for us or locked by someone else, and locked against
// others for as long as this object lives. Closing releases the lock.
class ExclusiveFile final : public ByteSource {
  public:
    // A name listed as a plain file is opened in one step; should it have become something else
    // since, the opened file is checked and refused, and a link in its place is never followed
    // that way. Any other name is looked at before it is opened.
    static std::unique_ptr<ExclusiveFile> Open(const std::filesystem::path& path,
                                               OpenOutcome& outcome,
                                               ListedAs listed = ListedAs::Unknown);
    ~ExclusiveFile() override;

    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    std::uint64_t Size() const override { return size_; }
    std::uint64_t BackedSize() const override { return backed_; }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

  private:
    // `allocated`: the bytes the file system gave the file, 0 where it does not say.
    ExclusiveFile(int fd, std::uint64_t size, std::uint64_t allocated)
        : fd_(fd), size_(size), backed_(allocated == 0 ? size : std::min(size, allocated)) {}

    int fd_;
    std::uint64_t size_;
    std::uint64_t backed_;
};

}  // namespace kalvor::platform
