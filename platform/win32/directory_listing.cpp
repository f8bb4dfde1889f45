#include "platform/directory_listing.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/win32/file_stamp.h"

namespace kalvor::platform {

namespace {

// Units in a path buffer, terminator included.
constexpr std::size_t kPathLimit = MAX_PATH;

struct FindCloser {
    void operator()(HANDLE search) const { FindClose(search); }
};

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

bool IsDotOrDotDot(std::wstring_view name) {
    return name == L"." || name == L"..";
}

std::uint64_t JoinHalves(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The folder followed by "\*", even after the separator of a drive root. Refused when it, or the
// full path it normalises to, does not fit a path buffer.
std::optional<std::wstring> SearchPattern(const std::filesystem::path& folder) {
    std::wstring pattern = folder.native() + L"\\*";
    if (pattern.size() >= kPathLimit) {
        return std::nullopt;
    }
    wchar_t full[kPathLimit];
    const DWORD length = GetFullPathNameW(pattern.c_str(), kPathLimit, full, nullptr);
    if (length == 0 || length >= kPathLimit) {
        return std::nullopt;
    }
    return pattern;
}

// A folder that cannot be asked still needs an identity of its own, or the walk would take it
// for the folder above it that could not be asked either.
FileIdentity IdentityOfUnaskable(const std::filesystem::path& folder) {
    return {~std::uint64_t{0}, std::hash<std::wstring>{}(folder.native())};
}

DirectoryEntry MakeEntry(const std::filesystem::path& folder, const WIN32_FIND_DATAW& data) {
    DirectoryEntry entry;
    entry.name = data.cFileName;
    entry.isDirectory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Junctions and directory links: entered like folders, but a folder is never walked twice
    // through them.
    entry.isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.isRegularFile = !entry.isDirectory;
    entry.size = JoinHalves(data.nFileSizeHigh, data.nFileSizeLow);
    entry.creationTime = TimeValueOfFileTime(data.ftCreationTime);
    entry.lastWriteTime = TimeValueOfFileTime(data.ftLastWriteTime);
    if (entry.isDirectory) {
        const std::filesystem::path path = folder / entry.name;
        entry.identity = IdentityOf(path).value_or(IdentityOfUnaskable(path));
    }
    return entry;
}

}  // namespace

DirectoryListing ListDirectory(const std::filesystem::path& folder,
                               const FileNameFilter& wantedFiles, FileDetails /*details*/) {
    DirectoryListing listing;
    const std::optional<std::wstring> pattern = SearchPattern(folder);
    if (!pattern.has_value()) {
        listing.error = std::make_error_code(std::errc::filename_too_long);
        return listing;
    }
    WIN32_FIND_DATAW data{};
    const HANDLE first =
        FindFirstFileExW(pattern->c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                         FIND_FIRST_EX_LARGE_FETCH);
    if (first == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        // A drive root has no "." entry, so an empty one lists nothing at all; it is still a
        // folder that was listed.
        if (error != ERROR_FILE_NOT_FOUND) {
            listing.error = std::error_code(static_cast<int>(error), std::system_category());
        }
        return listing;
    }
    const std::unique_ptr<void, FindCloser> search(first);
    do {
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!IsDotOrDotDot(data.cFileName) &&
            (isFolder || !wantedFiles || wantedFiles(data.cFileName))) {
            listing.entries.push_back(MakeEntry(folder, data));
        }
    } while (FindNextFileW(search.get(), &data));
    return listing;
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& folder) {
    const HANDLE opened = CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    const std::unique_ptr<void, HandleCloser> handle(opened);
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle.get(), &information)) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber,
                        JoinHalves(information.nFileIndexHigh, information.nFileIndexLow)};
}

bool OnReadOnlyMount(const std::filesystem::path& /*folder*/) {
    return false;
}

}  // namespace kalvor::platform
