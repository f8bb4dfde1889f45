#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/file_identity.h"

namespace kalvor::platform {

struct DirectoryEntry {
    std::filesystem::path name;  // the last element only, exactly as the file system holds it
    bool isDirectory = false;    // a link to a directory counts as a directory
    bool isLink = false;         // the entry itself is a symbolic link
    bool isRegularFile = false;  // a file of data: no folder, FIFO, socket or device
    std::uint64_t size = 0;
    // Seconds since 1970-01-01 00:00:00 UTC. No creation stamp when the file system keeps none.
    std::optional<std::int64_t> creationTime;
    std::int64_t lastWriteTime = 0;
    FileIdentity identity;  // of what the entry leads to, links followed
    // The folder named the entry but could not tell about it (a folder we may read but not
    // enter): nothing above but the name, and `isDirectory` where the folder said so.
    bool statusUnknown = false;
    // Why the entry could not be asked about (whenever `statusUnknown`), or why a link's target
    // could not be, when something may lie there: a path with too many links to follow, a folder
    // on the way we may not enter. A link to nothing has none: no folder is hidden behind it.
    std::error_code statusError;
    // Known to lie on the listed folder's own mount: neither a link nor a mount point. False
    // where the system cannot tell.
    bool onFolderMount = false;
    // Size, stamps and identity above were asked for: false for a file a listing of names and
    // types left them out for.
    bool described = true;
};

struct DirectoryListing {
    std::vector<DirectoryEntry> entries;
    std::error_code error;  // why the folder could not be listed; there are no entries then
};

// A name as the file system holds it: bytes here, UTF-16 units on Windows.
using NativeName = std::basic_string_view<std::filesystem::path::value_type>;

// Which of a folder's entries that are not folders a listing should hold, by name. A search
// wants few of the files it passes, and leaving the others out spares looking at each of them.
using FileNameFilter = std::function<bool(NativeName)>;

// How much a listing tells of the entries that are no folders.
enum class FileDetails {
    Described,  // everything above
    // Name and type only where the folder tells the type: a file that is opened anyway tells the
    // rest itself, and asking by name costs a request per file, a round trip on a share. A link
    // or an entry of a type the folder does not tell is still asked about.
    TypeOnly,
};

// Lists a folder without "." and "..", in the order an NTFS folder lists its entries (names
// compared by UTF-16 code units after upper-casing), so results come in the same stable order on
// every file system. Holds every folder (links to folders too) and the other entries whose names
// `wantedFiles` accepts (all of them when it is empty), and every entry that could be a folder or
// is wanted but could not be asked about; the error alone when the folder cannot be listed.
// Windows' finder describes every entry with its name, so there `details` changes nothing.
DirectoryListing ListDirectory(const std::filesystem::path& folder,
                               const FileNameFilter& wantedFiles = {},
                               FileDetails details = FileDetails::Described);

// The identity of a folder itself, links followed; nothing when it cannot be asked.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& folder);

// Whether the folder lies on a mount that lets no file be written, links followed; false when
// that cannot be asked. A folder may be read-only by one path and writable by another (a
// read-only bind mount of it). On Windows every path to a folder leads to its own volume, so
// this is always false there.
bool OnReadOnlyMount(const std::filesystem::path& folder);

}  // namespace kalvor::platform
