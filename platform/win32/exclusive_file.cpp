#include "platform/exclusive_file.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

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

// What the file takes on disk (less than its size when sparse or compressed); 0 when unknown.
std::uint64_t AllocationSizeOf(HANDLE handle) {
    FILE_STANDARD_INFO info{};
    return GetFileInformationByHandleEx(handle, FileStandardInfo, &info, sizeof info)
               ? static_cast<std::uint64_t>(info.AllocationSize.QuadPart)
               : 0;
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

// Read-write access with no sharing: Windows itself refuses a file with the read-only attribute
// or one that another program holds open, and nobody else can open it while we read.
std::unique_ptr<ExclusiveFile> ExclusiveFile::Open(const std::filesystem::path& path,
                                                   OpenOutcome& outcome, ListedAs /*listed*/) {
    if (path.native().size() >= kPathLimit) {
        outcome = OpenOutcome::Missing;
        return nullptr;
    }
    outcome = OutcomeOfAttributes(GetFileAttributesW(path.c_str()));
    if (outcome != OpenOutcome::Opened) {
        return nullptr;
    }
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        outcome = OutcomeOfOpenError(GetLastError());
        return nullptr;
    }
    LARGE_INTEGER size{};
    outcome = CheckOpened(handle, size);
    if (outcome != OpenOutcome::Opened) {
        CloseHandle(handle);
        return nullptr;
    }
    const std::uint64_t allocated = AllocationSizeOf(handle);
    // The runtime's descriptor owns the handle from here on and closes it.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        outcome = OpenOutcome::Unreadable;
        return nullptr;
    }
    return std::unique_ptr<ExclusiveFile>(
        new ExclusiveFile(fd, static_cast<std::uint64_t>(size.QuadPart), allocated));
}

ExclusiveFile::~ExclusiveFile() {
    _close(fd_);
}

std::size_t ExclusiveFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
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
