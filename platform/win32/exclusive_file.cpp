#include "platform/exclusive_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <optional>

#include "platform/directory_listing.h"
#include "platform/win32/file_stamp.h"

namespace kalvor::platform {

namespace {

// Units in a path buffer, terminator included.
constexpr std::size_t kPathLimit = MAX_PATH;

constexpr std::size_t kLargestRead = 1U << 30;

OpenOutcome OutcomeOfOpenError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
            return OpenOutcome::Missing;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return OpenOutcome::Locked;
        case ERROR_ACCESS_DENIED:
        case ERROR_WRITE_PROTECT:
            return OpenOutcome::ReadOnly;
        default:
            return OpenOutcome::Unreadable;
    }
}

// Windows refuses write access to a file with the read-only attribute whoever asks; looking first
// keeps that true where the attribute is only mapped onto permissions the superuser ignores
// (Wine run as root), and tells a folder from a file we may not write.
OpenOutcome OutcomeOfAttributes(DWORD attributes) {
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return OutcomeOfOpenError(GetLastError());
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return OpenOutcome::NotRegularFile;
    }
    return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? OpenOutcome::ReadOnly
                                                       : OpenOutcome::Opened;
}

OpenOutcome CheckOpened(HANDLE handle, LARGE_INTEGER& size) {
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        return OpenOutcome::NotRegularFile;
    }
    return GetFileSizeEx(handle, &size) ? OpenOutcome::Opened : OpenOutcome::Unreadable;
}

// The bytes the file really holds, which bounds what a hostile file can make a reader allocate:
// less than its size only for a sparse file. A compressed file takes less room too, but holds
// all its bytes, or a large real document would be refused.
std::uint64_t BackedBytes(HANDLE handle, DWORD attributes, std::uint64_t size) {
    FILE_STANDARD_INFO info{};
    if ((attributes & FILE_ATTRIBUTE_SPARSE_FILE) == 0 ||
        !GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info)) {
        return size;
    }
    return static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
}

// What the handle tells of the file now.
std::optional<BY_HANDLE_FILE_INFORMATION> InformationOf(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        return std::nullopt;
    }
    return information;
}

std::uint64_t SizeOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return (std::uint64_t{information.nFileSizeHigh} << 32) | information.nFileSizeLow;
}

FileVersion VersionOf(const BY_HANDLE_FILE_INFORMATION& information) {
    const FILETIME& written = information.ftLastWriteTime;
    return {.size = SizeOf(information),
            .modified = static_cast<std::int64_t>((std::uint64_t{written.dwHighDateTime} << 32) |
                                                  written.dwLowDateTime)};
}

// The same values the file finder gives in a listing.
FileDescription DescriptionOf(const BY_HANDLE_FILE_INFORMATION& information) {
    return {.size = SizeOf(information),
            .creationTime = TimeValueOfFileTime(information.ftCreationTime),
            .lastWriteTime = TimeValueOfFileTime(information.ftLastWriteTime)};
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

// How a document is opened: for reading and writing without sharing, as the storage layer we
// stand in for opens it; for reading only where the user included read-only documents, still
// keeping writers out; and, where the user included documents in use, for reading with every
// sharing mode, so that no program that holds or later opens the file meets a sharing violation
// because of us.
struct OpenMode {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD sharing = 0;
};

constexpr OpenMode kExclusive{};
constexpr OpenMode kReadingOnly{GENERIC_READ, FILE_SHARE_READ};
constexpr OpenMode kBesideOthers{GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE};

OpenMode ModeFor(IncludedAccess include, FileAccess access) {
    if (include.inUse) {
        return kBesideOthers;
    }
    return access == FileAccess::ReadOnly ? kReadingOnly : kExclusive;
}

// Opened beside others, a file is not asked for write access; the volume still tells whether it
// is read-only media. (A write denied by the file's permissions alone goes untold.)
bool OnReadOnlyVolume(HANDLE handle) {
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr,
                                         0) &&
           (flags & FILE_READ_ONLY_VOLUME) != 0;
}

// The handle is told to leave the last-access time as it is, so that reading through it changes
// no stamp a later forensic look relies on.
HANDLE OpenWithMode(const std::filesystem::path& path, OpenMode mode) {
    const HANDLE handle = CreateFileW(path.c_str(), mode.access, mode.sharing, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        const FILETIME keepAsItIs{0xFFFFFFFF, 0xFFFFFFFF};
        SetFileTime(handle, nullptr, &keepAsItIs, nullptr);
    }
    return handle;
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information)) {
        return std::nullopt;
    }
    return FileIdentity{
        information.dwVolumeSerialNumber,
        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

// Opens the file without sharing. Should that fail because one of our own readers has the same
// file open under another name, waits for it and tries again: only other programs make a file
// locked. Opening happens under the guard of our open files, so a reader that holds the file is
// always listed by the time another one's open fails.
HANDLE OpenClaimed(const std::filesystem::path& path, OpenMode mode, OwnOpenFileClaim& claim,
                   DWORD& error) {
    OwnOpenFiles& ours = OwnOpenFiles::Instance();
    std::unique_lock guard = ours.Guard();
    for (;;) {
        const HANDLE handle = OpenWithMode(path, mode);
        error = GetLastError();
        if (handle != INVALID_HANDLE_VALUE) {
            if (const std::optional<FileIdentity> identity = IdentityOfHandle(handle)) {
                ours.HoldLocked(*identity);
                claim = OwnOpenFileClaim(*identity);
            }
            return handle;
        }
        const std::optional<FileIdentity> identity =
            error == ERROR_SHARING_VIOLATION ? IdentityOf(path) : std::nullopt;
        if (!identity.has_value()) {
            return handle;
        }
        if (ours.HeldLocked(*identity)) {
            ours.WaitForReleaseLocked(guard);
        } else if (ours.ReleasedJustNowLocked(*identity)) {
            guard.unlock();
            Sleep(1);
            guard.lock();
        } else {
            return handle;
        }
    }
}

}  // namespace

bool IsPathTooLong(const std::filesystem::path& path) {
    return path.native().size() >= kPathLimit;
}

// Read-write access with no sharing: Windows itself refuses a file with the read-only attribute
// or one that another program holds open, and nobody else can open it while we read. A file the
// user included is opened for reading only; one refused for writing (read-only media, a denied
// write) is then tried once more that way. A document in use cannot be told from any other
// without an open that could itself refuse its owner, so it is read as an ordinary one.
OpenedFile ExclusiveFile::Open(const std::filesystem::path& path, ListedAs /*listed*/,
                               DiskReadSigns* signs, IncludedAccess include,
                               const OpenedFolder* /*folder*/) {
    if (IsPathTooLong(path)) {
        return {.file = nullptr, .outcome = OpenOutcome::Missing};
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    OpenOutcome outcome = OutcomeOfAttributes(attributes);
    FileAccess access = FileAccess::Ordinary;
    if (outcome == OpenOutcome::ReadOnly && include.readOnly) {
        outcome = OpenOutcome::Opened;
        access = FileAccess::ReadOnly;
    }
    if (outcome != OpenOutcome::Opened) {
        return {.file = nullptr, .outcome = outcome};
    }
    OwnOpenFileClaim claim;
    DWORD error = ERROR_SUCCESS;
    OpenMode mode = ModeFor(include, access);
    HANDLE handle = OpenClaimed(path, mode, claim, error);
    if (handle == INVALID_HANDLE_VALUE && include.readOnly && (mode.access & GENERIC_WRITE) != 0 &&
        OutcomeOfOpenError(error) == OpenOutcome::ReadOnly) {
        access = FileAccess::ReadOnly;
        mode = ModeFor(include, access);
        handle = OpenClaimed(path, mode, claim, error);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        outcome = OutcomeOfOpenError(error);
        // Refused reading alone, the file is not read-only to us but unreadable.
        if (outcome == OpenOutcome::ReadOnly && (mode.access & GENERIC_WRITE) == 0) {
            outcome = OpenOutcome::Unreadable;
        }
        return {.file = nullptr, .outcome = outcome};
    }
    LARGE_INTEGER size{};
    outcome = CheckOpened(handle, size);
    if (outcome == OpenOutcome::Opened && include.inUse && access == FileAccess::Ordinary &&
        OnReadOnlyVolume(handle)) {
        outcome = include.readOnly ? OpenOutcome::Opened : OpenOutcome::ReadOnly;
        access = FileAccess::ReadOnly;
    }
    if (outcome != OpenOutcome::Opened) {
        CloseHandle(handle);
        return {.file = nullptr, .outcome = outcome};
    }
    const std::uint64_t backed =
        BackedBytes(handle, attributes, static_cast<std::uint64_t>(size.QuadPart));
    // The runtime's descriptor owns the handle from here on and closes it.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = InformationOf(handle);
    if (fd < 0 || !information.has_value()) {
        if (fd < 0) {
            CloseHandle(handle);
        } else {
            _close(fd);
        }
        return {.file = nullptr, .outcome = OpenOutcome::Unreadable};
    }
    return {.file = std::unique_ptr<ExclusiveFile>(
                new ExclusiveFile(fd, VersionOf(*information), DescriptionOf(*information), backed,
                                  std::move(claim), signs, access)),
            .outcome = OpenOutcome::Opened};
}

ExclusiveFile::~ExclusiveFile() {
    _close(fd_);
}

std::optional<FileVersion> ExclusiveFile::CurrentVersion() const {
    const std::optional<BY_HANDLE_FILE_INFORMATION> information = InformationOf(HandleOf(fd_));
    if (!information.has_value()) {
        return std::nullopt;
    }
    return VersionOf(*information);
}

std::size_t ExclusiveFile::ReadFromDisk(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t position = offset + done;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(position);
        at.OffsetHigh = static_cast<DWORD>(position >> 32);
        const DWORD wanted = static_cast<DWORD>(std::min(out.size() - done, kLargestRead));
        DWORD got = 0;
        if (!ReadFile(HandleOf(fd_), out.data() + done, wanted, &got, &at) || got == 0) {
            break;
        }
        done += got;
    }
    return done;
}

}  // namespace kalvor::platform
