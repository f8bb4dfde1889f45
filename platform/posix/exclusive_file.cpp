#include "platform/exclusive_file.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <chrono>

#include "platform/posix/foreign_holds.h"
#include "platform/posix/open_keeping_access_time.h"
#include "platform/posix/opened_folder.h"
#include "platform/posix/statx_description.h"
#include "platform/posix/unique_fd.h"
#include "platform/write_permission.h"

namespace kalvor::platform {
namespace {

bool IsMissingError(int error) {
    return error == ENOENT || error == ENOTDIR || error == ENAMETOOLONG || error == ELOOP;
}

// What the system says to "may we write it": permissions, a read-only mount, an immutable file.
// The file is only ever read, but one we may not write is read-only to us, as for the storage
// layer we stand in for.
OpenOutcome OutcomeOfWriteAccess(int accessResult) {
    if (accessResult == 0) {
        return OpenOutcome::Opened;
    }
    switch (errno) {
        case EACCES:
        case EPERM:
        case EROFS:
            return OpenOutcome::ReadOnly;
        case ETXTBSY:
            return OpenOutcome::Locked;
        default:
            return OpenOutcome::Unreadable;
    }
}

OpenOutcome WriteAccessByName(const std::filesystem::path& path) {
    return OutcomeOfWriteAccess(faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS));
}

// Asked of the opened file itself, so that a name swapped meanwhile does not answer for it, and
// without walking a path; by name where the system cannot ask a descriptor.
OpenOutcome WriteAccessOf(int fd, const std::filesystem::path& path) {
    const OpenOutcome outcome =
        OutcomeOfWriteAccess(faccessat(fd, "", W_OK, AT_EACCESS | AT_EMPTY_PATH));
    return outcome == OpenOutcome::Unreadable ? WriteAccessByName(path) : outcome;
}

// A name that leads nowhere is a missing file, unless the name itself is a link.
OpenOutcome OutcomeOfMissing(const std::filesystem::path& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode) ? OpenOutcome::DanglingLink
                                                                        : OpenOutcome::Missing;
}

OpenOutcome OutcomeOfOpenError(int error, const std::filesystem::path& path) {
    if (IsMissingError(error)) {
        return OutcomeOfMissing(path);
    }
    switch (error) {
        case EACCES:
        case EPERM:
            // Refused reading: read-only to us when we may not write it either, else unreadable.
            return WriteAccessByName(path) == OpenOutcome::Opened ? OpenOutcome::Unreadable
                                                                  : OpenOutcome::ReadOnly;
        case EWOULDBLOCK:
            // Another program holds a write lease: it has the file open for writing.
            return OpenOutcome::Locked;
        default:
            return OpenOutcome::Unreadable;
    }
}

bool IsLockConflict(int error) {
    return error == EAGAIN || error == EACCES || error == EWOULDBLOCK;
}

// Some network and FUSE file systems keep no locks at all, and some give a reader no lock of
// every kind (NFS makes flock a byte-range lock, which wants a writer for an exclusive one).
// Nobody can hold such a lock there, so the document is examined rather than silently passed
// over on every share of that kind.
bool LocksUnsupported(int error) {
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOTSUP || error == ENOSYS ||
           error == EINVAL || error == EBADF;
}

OpenOutcome OutcomeOfLockError(int error) {
    if (IsLockConflict(error)) {
        return OpenOutcome::Locked;
    }
    return LocksUnsupported(error) ? OpenOutcome::Opened : OpenOutcome::Unreadable;
}

struct flock WholeFile(short type) {
    struct flock region {};
    region.l_type = type;
    region.l_whence = SEEK_SET;
    return region;
}

// Refused when another program holds a lock of either kind, read or write, since other programs
// hold one kind or the other and neither sees the other's. Our read lock keeps out writers that
// lock; the flock keeps out programs that flock. Our own readers never meet here: each file is
// claimed by one of them at a time.
OpenOutcome LockAgainstOthers(int fd) {
    struct flock shared = WholeFile(F_RDLCK);
    if (fcntl(fd, F_OFD_SETLK, &shared) != 0) {
        if (const OpenOutcome outcome = OutcomeOfLockError(errno); outcome != OpenOutcome::Opened) {
            return outcome;
        }
    } else {
        struct flock probe = WholeFile(F_WRLCK);
        if (fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK) {
            return OpenOutcome::Locked;
        }
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        return OutcomeOfLockError(errno);
    }
    return OpenOutcome::Opened;
}

// A document the user included is opened rather than refused, and remembers why it was read
// only so. One in use is held by nothing of ours: no lock that could stop its owner locking it to
// write, and no open at all while another program holds a write lease, since that open would
// break the lease the program relies on.
class Admission {
  public:
    explicit Admission(IncludedAccess include) : include_(include) {}

    // `outcome`, or Opened for a refusal the user included.
    OpenOutcome Admit(OpenOutcome outcome) {
        if (outcome == OpenOutcome::ReadOnly && include_.readOnly) {
            Note(FileAccess::ReadOnly);
            return OpenOutcome::Opened;
        }
        if (outcome == OpenOutcome::Locked && include_.inUse) {
            Note(FileAccess::InUse);
            return OpenOutcome::Opened;
        }
        return outcome;
    }

    // Why a file could not be opened at all: once read-only files are included, one we may not
    // read is no longer explained by our not writing it.
    OpenOutcome Refused(OpenOutcome outcome) const {
        return outcome == OpenOutcome::ReadOnly && include_.readOnly ? OpenOutcome::Unreadable
                                                                     : outcome;
    }

    // Whether the file is looked at before it is opened, so that nothing is opened under a lease.
    bool LooksBeforeOpening() const { return include_.inUse; }

    // Locked when another program's write lease forbids opening the file without disturbing it.
    OpenOutcome LookAtHolders(const FileIdentity& file) {
        if (!include_.inUse) {
            return OpenOutcome::Opened;
        }
        holds_ = HoldsOn(static_cast<dev_t>(file.device), static_cast<ino_t>(file.inode));
        return holds_.writeLease ? OpenOutcome::Locked : OpenOutcome::Opened;
    }

    // Locked when another program holds a lock on the opened file; ours are taken only on files
    // that may be kept from others.
    OpenOutcome LockOrLook(int fd) const {
        if (!include_.inUse) {
            return LockAgainstOthers(fd);
        }
        struct flock probe = WholeFile(F_WRLCK);
        const bool locked = fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
        return locked || holds_.lock ? OpenOutcome::Locked : OpenOutcome::Opened;
    }

    FileAccess Access() const { return access_; }

  private:
    void Note(FileAccess access) {
        if (access_ == FileAccess::Ordinary) {
            access_ = access;
        }
    }

    IncludedAccess include_;
    ForeignHolds holds_;
    FileAccess access_ = FileAccess::Ordinary;
};

// What the open file tells of itself; false when it would not tell.
bool Describe(int fd, struct statx& status, unsigned fields = kDescribingFields) {
    return statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, fields, &status) == 0;
}

FileVersion VersionOf(const struct statx& status) {
    return {.size = status.stx_size,
            .modified = static_cast<std::int64_t>(status.stx_mtime.tv_sec),
            .modifiedFraction = static_cast<std::int64_t>(status.stx_mtime.tv_nsec)};
}

// The bytes the file really holds, which bounds what a hostile file can make a reader allocate. A
// sparse file takes less room than its size; so does a compressed one, which has no holes and
// counts whole, or a large real document would be refused.
std::uint64_t BackedBytes(int fd, const struct statx& status) {
    const std::uint64_t size = status.stx_size;
    const std::uint64_t allocated = status.stx_blocks * 512;
    if (allocated >= size) {
        return size;
    }
    const off_t hole = lseek(fd, 0, SEEK_HOLE);
    return hole < 0 || static_cast<std::uint64_t>(hole) >= size ? size : allocated;
}

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Refuses what may not be read as a document: anything but a regular file, and a file the
// superuser should leave alone.
OpenOutcome OutcomeOfStatus(const struct statx& status) {
    if (!S_ISREG(status.stx_mode)) {
        return OpenOutcome::NotRegularFile;
    }
    // Whether we may write it is asked of the system next; here only the write bits speak.
    const bool anyWriteBit = (status.stx_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
    return IsReadOnlyForUser(true, anyWriteBit) ? OpenOutcome::ReadOnly : OpenOutcome::Opened;
}

// Opens for reading exactly the file that `located` (an O_PATH descriptor) stands for. Through
// /proc, a name swapped in the meantime for a FIFO or a device is never opened; without /proc the
// file is opened by name and refused unless it is the same file.
int Reopen(const UniqueFd& located, const std::filesystem::path& path, const struct statx& status,
           OpenOutcome& outcome) {
    int fd = OpenKeepingAccessTime(DescriptorPath(located.Get()).c_str(), kReadFlags);
    if (fd < 0 && errno == ENOENT) {
        fd = OpenKeepingAccessTime(path.c_str(), kReadFlags);
    }
    if (fd < 0) {
        outcome = OutcomeOfOpenError(errno, path);
        return -1;
    }
    struct statx opened {};
    if (!Describe(fd, opened, STATX_INO) || IdentityFrom(opened) != IdentityFrom(status)) {
        close(fd);
        outcome = OpenOutcome::Unreadable;
        return -1;
    }
    return fd;
}

// Looks at what the name leads to before opening it, so a FIFO or a device is never opened.
UniqueFd OpenAfterLooking(const std::filesystem::path& path, struct statx& status,
                          OpenOutcome& outcome, Admission& admission) {
    const UniqueFd located(open(path.c_str(), O_PATH | O_CLOEXEC));
    if (located.Get() < 0 || !Describe(located.Get(), status)) {
        outcome = IsMissingError(errno) ? OutcomeOfMissing(path) : OpenOutcome::Unreadable;
        return UniqueFd(-1);
    }
    outcome = admission.Admit(OutcomeOfStatus(status));
    if (outcome == OpenOutcome::Opened) {
        outcome = admission.LookAtHolders(IdentityFrom(status));
    }
    if (outcome != OpenOutcome::Opened) {
        return UniqueFd(-1);
    }
    return UniqueFd(Reopen(located, path, status, outcome));
}

// A name the listing saw as a plain file a moment ago is opened at once, without following a
// link: a link put in its place is looked at first instead. Only a FIFO or a device renamed into
// the folder in that moment could be opened, and it is refused before anything is read; opening
// one neither blocks (O_NONBLOCK) nor makes it the controlling terminal.
UniqueFd OpenListedPlainFile(const std::filesystem::path& path, const OpenedFolder* folder,
                             struct statx& status, OpenOutcome& outcome, Admission& admission) {
    UniqueFd file(folder != nullptr ? OpenKeepingAccessTime(path.filename().c_str(),
                                                            kReadFlags | O_NOFOLLOW, folder->Fd())
                                    : OpenKeepingAccessTime(path.c_str(), kReadFlags | O_NOFOLLOW));
    if (!file.Valid()) {
        const int error = errno;
        if (error == ELOOP) {
            return OpenAfterLooking(path, status, outcome, admission);
        }
        outcome = error == ENXIO ? OpenOutcome::NotRegularFile : OutcomeOfOpenError(error, path);
        return file;
    }
    outcome = Describe(file.Get(), status) ? admission.Admit(OutcomeOfStatus(status))
                                           : OpenOutcome::Unreadable;
    return outcome == OpenOutcome::Opened ? std::move(file) : UniqueFd(-1);
}

// What the page cache holds of the bytes from `offset` on, read without waiting for the disk:
// the same single call as a plain read where the bytes are in memory, and otherwise a sign that
// this search reads from a cold disk.
std::size_t ReadCached(int fd, std::uint64_t offset, std::span<std::uint8_t> out,
                       DiskReadSigns& signs) {
    iovec piece{.iov_base = out.data(), .iov_len = out.size()};
    const ssize_t got = preadv2(fd, &piece, 1, static_cast<off_t>(offset), RWF_NOWAIT);
    if (got >= 0) {
        return static_cast<std::size_t>(got);
    }
    if (errno == EOPNOTSUPP || errno == ENOSYS || errno == EINVAL) {
        signs.NoteCannotAskWithoutWaiting();
    }
    return 0;
}

// Where the system cannot be asked without waiting (network shares among them), a read that
// took as long as a disk or a network takes stands for one the page cache could not answer:
// memory gives a few gigabytes a second and answers at once.
bool TookLikeADisk(std::chrono::steady_clock::duration took, std::size_t bytes) {
    constexpr std::chrono::microseconds kFirstByte{200};
    constexpr std::uint64_t kBytesPerMicrosecond = 1000;
    return took > kFirstByte + std::chrono::microseconds(bytes / kBytesPerMicrosecond);
}

// Reads until `out` is full, the file ends or a read fails; how many bytes it gave.
std::size_t ReadWaiting(int fd, std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got =
            pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<std::size_t>(got);
    }
    return done;
}

}  // namespace

bool IsPathTooLong(const std::filesystem::path& path) {
    return path.native().size() >= PATH_MAX;
}

OpenedFile ExclusiveFile::Open(const std::filesystem::path& path, ListedAs listed,
                               DiskReadSigns* signs, IncludedAccess include,
                               const OpenedFolder* folder) {
    OpenOutcome outcome = OpenOutcome::Unreadable;
    struct statx status {};
    Admission admission(include);
    UniqueFd file = listed == ListedAs::PlainFile && !admission.LooksBeforeOpening()
                        ? OpenListedPlainFile(path, folder, status, outcome, admission)
                        : OpenAfterLooking(path, status, outcome, admission);
    if (!file.Valid()) {
        return {.file = nullptr, .outcome = admission.Refused(outcome)};
    }
    outcome = admission.Admit(WriteAccessOf(file.Get(), path));
    if (outcome != OpenOutcome::Opened) {
        return {.file = nullptr, .outcome = outcome};
    }
    OwnOpenFileClaim claim = ClaimOwnOpenFile(IdentityFrom(status));
    outcome = admission.Admit(admission.LockOrLook(file.Get()));
    if (outcome != OpenOutcome::Opened) {
        return {.file = nullptr, .outcome = outcome};
    }
    const std::uint64_t backed = BackedBytes(file.Get(), status);
    return {.file = std::unique_ptr<ExclusiveFile>(
                new ExclusiveFile(file.Release(), VersionOf(status), DescriptionFrom(status),
                                  backed, std::move(claim), signs, admission.Access())),
            .outcome = OpenOutcome::Opened};
}

ExclusiveFile::~ExclusiveFile() {
    close(fd_);
}

std::optional<FileVersion> ExclusiveFile::CurrentVersion() const {
    struct statx status {};
    if (!Describe(fd_, status, STATX_SIZE | STATX_MTIME)) {
        return std::nullopt;
    }
    return VersionOf(status);
}

std::size_t ExclusiveFile::ReadFromDisk(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (signs_.AskWithoutWaiting()) {
        const std::size_t cached = ReadCached(fd_, offset, out, signs_);
        if (cached < out.size() && offset + cached < size_) {
            signs_.NoteReadWaited();
        }
        return cached + ReadWaiting(fd_, offset + cached, out.subspan(cached));
    }
    const auto start = std::chrono::steady_clock::now();
    const std::size_t done = ReadWaiting(fd_, offset, out);
    if (TookLikeADisk(std::chrono::steady_clock::now() - start, done)) {
        signs_.NoteReadWaited();
    }
    return done;
}

}  // namespace kalvor::platform
