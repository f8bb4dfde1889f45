#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace kalvor::platform {

// What a folder walk needs to tell a folder it is already inside from a new one.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

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
};

// A name as the file system holds it: bytes here, UTF-16 units on Windows.
using NativeName = std::basic_string_view<std::filesystem::path::value_type>;

// Which of a folder's entries that are not folders a listing should hold, by name. A search
// wants few of the files it passes, and leaving the others out spares looking at each of them.
using FileNameFilter = std::function<bool(NativeName)>;

// Lists a folder without "." and "..", in the order an NTFS folder lists its entries (names
// compared by UTF-16 code units after upper-casing), so results come in the same stable order on
// every file system. Holds every folder (links to folders too) and the other entries whose names
// `wantedFiles` accepts (all of them when it is empty). Nothing when the folder cannot be listed.
std::optional<std::vector<DirectoryEntry>> ListDirectory(const std::filesystem::path& folder,
                                                         const FileNameFilter& wantedFiles = {});

// The identity of a folder itself, links followed; nothing when it cannot be asked.
std::optional<FileIdentity> IdentityOf(const std::filesystem::path& folder);

}  // namespace kalvor::platform
