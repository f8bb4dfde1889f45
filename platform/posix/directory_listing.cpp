#include "platform/directory_listing.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/name_order.h"
#include "platform/posix/open_keeping_access_time.h"
#include "platform/posix/statx_description.h"

namespace kalvor::platform {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

bool IsDotOrDotDot(std::string_view name) {
    return name == "." || name == "..";
}

// Whether the folder told, without being asked about the entry, that it is no folder and no link.
bool KnownToBeNoFolder(unsigned char type) {
    return type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN;
}

bool Wanted(const FileNameFilter& wantedFiles, const char* name) {
    return !wantedFiles || wantedFiles(name);
}

std::error_code ErrorOf(int error) {
    return {error, std::generic_category()};
}

struct StatedEntry {
    struct statx data;
    bool isLink;
    // Why the target of a link could not be asked about, when it may exist: a link to nothing
    // (or through a file) hides nothing, but one that is too many links deep or lies behind a
    // folder we may not enter may hide a folder.
    int unreachable = 0;
};

int UnreachableFor(int error) {
    return error == ENOENT || error == ENOTDIR ? 0 : error;
}

// Links are followed; an entry whose target cannot be reached (a dangling link, a loop of links)
// is described by the link itself, as a file. Nothing, with errno set, when it cannot be asked.
std::optional<StatedEntry> StatEntry(int folderFd, const dirent& item) {
    struct statx data {};
    bool isLink = item.d_type == DT_LNK;
    if (item.d_type == DT_UNKNOWN) {
        if (statx(folderFd, item.d_name, AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW,
                  kDescribingFields, &data) != 0) {
            return std::nullopt;
        }
        isLink = S_ISLNK(data.stx_mode);
        if (!isLink) {
            return StatedEntry{data, false};
        }
    }
    if (statx(folderFd, item.d_name, AT_STATX_SYNC_AS_STAT, kDescribingFields, &data) == 0) {
        return StatedEntry{data, isLink};
    }
    const int targetError = errno;
    if (statx(folderFd, item.d_name, AT_STATX_SYNC_AS_STAT | AT_SYMLINK_NOFOLLOW, kDescribingFields,
              &data) == 0) {
        return StatedEntry{data, S_ISLNK(data.stx_mode), UnreachableFor(targetError)};
    }
    return std::nullopt;
}

DirectoryEntry MakeEntry(const char* name, const StatedEntry& stated) {
    const struct statx& data = stated.data;
    DirectoryEntry entry;
    entry.name = name;
    entry.isDirectory = S_ISDIR(data.stx_mode);
    entry.isLink = stated.isLink;
    entry.isRegularFile = S_ISREG(data.stx_mode);
    const FileDescription description = DescriptionFrom(data);
    entry.size = description.size;
    entry.creationTime = description.creationTime;
    entry.lastWriteTime = description.lastWriteTime;
    entry.identity = IdentityFrom(data);
    if (stated.unreachable != 0) {
        entry.statusError = ErrorOf(stated.unreachable);
    }
    entry.onFolderMount = !stated.isLink &&
                          (data.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                          (data.stx_attributes & STATX_ATTR_MOUNT_ROOT) == 0;
    return entry;
}

// A file the folder told the type of, with nothing asked about it.
DirectoryEntry TypedEntry(const dirent& item) {
    DirectoryEntry entry;
    entry.name = item.d_name;
    entry.isRegularFile = item.d_type == DT_REG;
    entry.described = false;
    return entry;
}

// An entry the folder names but will not let us ask about (`error`): no search permission on the
// folder, or a failure of the file system.
// Kept when it may be a folder or is wanted, so the walk reports it instead of dropping it.
std::optional<DirectoryEntry> UnaskableEntry(const dirent& item, const FileNameFilter& wantedFiles,
                                             int error) {
    const bool mayBeFolder = !KnownToBeNoFolder(item.d_type);
    if (!mayBeFolder && !Wanted(wantedFiles, item.d_name)) {
        return std::nullopt;
    }
    DirectoryEntry entry;
    entry.name = item.d_name;
    entry.isDirectory = item.d_type == DT_DIR;
    entry.isLink = item.d_type == DT_LNK;
    entry.statusUnknown = true;
    entry.statusError = ErrorOf(error);
    return entry;
}

// Reading a folder sets its access time like reading a file.
DIR* OpenFolder(const std::filesystem::path& folder) {
    const int fd =
        OpenKeepingAccessTime(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        const int error = errno;
        close(fd);
        errno = error;
    }
    return dir;
}

}  // namespace

DirectoryListing ListDirectory(const std::filesystem::path& folder,
                               const FileNameFilter& wantedFiles, FileDetails details) {
    DirectoryListing listing;
    const std::unique_ptr<DIR, DirCloser> dir(OpenFolder(folder));
    if (dir == nullptr) {
        listing.error = ErrorOf(errno);
        return listing;
    }
    const int folderFd = dirfd(dir.get());
    std::vector<std::pair<NameOrderKey, DirectoryEntry>> listed;
    // A folder we may read but not enter names its files without letting them be asked about,
    // or opened: those stay unknown, as a described listing has them. So entries are asked about
    // until the folder has answered for one.
    bool answers = false;
    while (const dirent* item = readdir(dir.get())) {
        if (IsDotOrDotDot(item->d_name) ||
            (KnownToBeNoFolder(item->d_type) && !Wanted(wantedFiles, item->d_name))) {
            continue;
        }
        if (details == FileDetails::TypeOnly && answers && KnownToBeNoFolder(item->d_type)) {
            listed.emplace_back(MakeNameOrderKey(item->d_name), TypedEntry(*item));
            continue;
        }
        const std::optional<StatedEntry> stated = StatEntry(folderFd, *item);
        if (stated.has_value()) {
            answers = true;
            if (S_ISDIR(stated->data.stx_mode) || Wanted(wantedFiles, item->d_name) ||
                stated->unreachable != 0) {
                listed.emplace_back(MakeNameOrderKey(item->d_name),
                                    MakeEntry(item->d_name, *stated));
            }
        } else if (errno != ENOENT) {
            if (std::optional<DirectoryEntry> entry = UnaskableEntry(*item, wantedFiles, errno)) {
                listed.emplace_back(MakeNameOrderKey(item->d_name), std::move(*entry));
            }
        }
        // An entry that vanished since the folder was read is no longer there to search.
    }
    std::sort(listed.begin(), listed.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    listing.entries.reserve(listed.size());
    for (auto& [key, entry] : listed) {
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

std::optional<FileIdentity> IdentityOf(const std::filesystem::path& folder) {
    struct statx data {};
    if (statx(AT_FDCWD, folder.c_str(), AT_STATX_SYNC_AS_STAT, STATX_INO, &data) != 0) {
        return std::nullopt;
    }
    return IdentityFrom(data);
}

bool OnReadOnlyMount(const std::filesystem::path& folder) {
    struct statvfs data {};
    return statvfs(folder.c_str(), &data) == 0 && (data.f_flag & ST_RDONLY) != 0;
}

}  // namespace kalvor::platform
