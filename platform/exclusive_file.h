#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "platform/disk_read_signs.h"
#include "platform/file_access.h"
#include "platform/file_description.h"
#include "platform/opened_folders.h"
#include "platform/own_open_files.h"

namespace kalvor::platform {

enum class OpenOutcome {
    Opened,
    Missing,         // no such file, or a path the file system rejects
    DanglingLink,    // a link whose target does not exist, or a loop of links
    NotRegularFile,  // a FIFO, socket, device or directory: never opened, so never blocks
    ReadOnly,        // no write permission, a read-only mount, or an immutable file
    Locked,          // another process holds a lock on it
    Unreadable,      // no permission to read, or any other failure to open
};

// What a folder listing said of a name a moment before it is opened.
enum class ListedAs {
    Unknown,
    PlainFile,      // a regular file, and the name itself not a link
    StatusUnknown,  // named, but the folder could not tell what it is: not to be opened
};

// A document opened the way the platform's storage layer opens it for exclusive access: refused
// when it is read-only for us or held by another program, and kept from others for as long as
// this object lives, as far as the system allows. On Windows that is an open for reading and
// writing without sharing; on POSIX the file is opened for reading only, so that no other program
// sees a writer (close-after-write events, broken read leases), and guarded with locks. Our own
// readers never count as another program: one that meets a file a colleague holds waits for it.
// Files the user included are read without being held: a read-only one as any other, and one in
// use without a lock of ours or a sharing mode that could stop its owner writing it.
class ExclusiveFile;

// A file opened for exclusive access, or why it was refused.
struct OpenedFile {
    std::unique_ptr<ExclusiveFile> file;  // exactly when `outcome` is Opened
    OpenOutcome outcome = OpenOutcome::Unreadable;
};

// The moment a file was as it was first seen: a read taken before it changed is the file's own.
struct FileVersion {
    std::uint64_t size = 0;
    // In the system's own unit and epoch, and the part of that unit it keeps apart (nanoseconds
    // on POSIX), so that no stamp a file system can hold overflows.
    std::int64_t modified = 0;
    std::int64_t modifiedFraction = 0;

    bool operator==(const FileVersion&) const = default;
};

class ExclusiveFile final {
  public:
    // A name listed as a plain file is opened in one step; should it have become something else
    // since, the opened file is checked and refused, and a link in its place is never followed
    // that way. Any other name is looked at before it is opened. Its reads tell `signs` what they
    // meet on the disk; without them, the file keeps what it learns to itself. A file of a kind
    // `include` names is opened rather than refused, and says so in Access(). Given `folder`, the
    // folder `path` lies in held open, a file listed as a plain file is opened by its name within
    // it.
    static OpenedFile Open(const std::filesystem::path& path, ListedAs listed = ListedAs::Unknown,
                           DiskReadSigns* signs = nullptr, IncludedAccess include = {},
                           const OpenedFolder* folder = nullptr);
    ~ExclusiveFile();

    ExclusiveFile(const ExclusiveFile&) = delete;
    ExclusiveFile& operator=(const ExclusiveFile&) = delete;

    std::uint64_t Size() const { return size_; }
    // As the file was when it was opened.
    const FileDescription& Description() const { return description_; }
    // How many bytes the file takes on disk: less than Size() where it has holes (a sparse file)
    // or is stored compressed.
    std::uint64_t BackedSize() const { return backed_; }
    FileAccess Access() const { return access_; }
    // Reads up to out.size() bytes starting at offset. Returns how many were read: fewer at the
    // end of the file or after an I/O error, never more. A read after which the file is no longer
    // the version it was opened as gives nothing, and so does every read after it: bytes that may
    // mix two versions never reach a verdict.
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out);
    // Whether a read met the file changed (its size or modification time) since it was opened.
    bool ChangedWhileRead() const { return changed_; }

    // Which file this is, as the open file itself tells, whatever name led to it; nothing where
    // the system would not tell.
    std::optional<FileIdentity> Identity() const { return claim_.File(); }

  private:
    // `backed`: the bytes the file really holds, less than its size when it has holes.
    ExclusiveFile(int fd, FileVersion version, FileDescription description, std::uint64_t backed,
                  OwnOpenFileClaim claim, DiskReadSigns* signs, FileAccess access)
        : fd_(fd),
          size_(version.size),
          backed_(std::min(version.size, backed)),
          version_(version),
          description_(std::move(description)),
          access_(access),
          claim_(std::move(claim)),
          signs_(signs != nullptr ? *signs : ownSigns_) {}

    std::size_t ReadFromDisk(std::uint64_t offset, std::span<std::uint8_t> out);
    // The file as it is now, or nothing when the system cannot tell.
    std::optional<FileVersion> CurrentVersion() const;

    int fd_;
    std::uint64_t size_;
    std::uint64_t backed_;
    FileVersion version_;
    FileDescription description_;
    FileAccess access_;
    bool changed_ = false;
    OwnOpenFileClaim claim_;  // released after the descriptor is closed, with its locks
    DiskReadSigns ownSigns_;
    DiskReadSigns& signs_;
};

// Whether `path` is longer than the system takes, which alone makes opening it fail as Missing.
bool IsPathTooLong(const std::filesystem::path& path);

}  // namespace kalvor::platform
