#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

// Stand-ins for the platform's file copy and file deletion.
namespace kalvor::platform {

// Copies the regular file `source` to `destination`, replacing a file of that name, and keeps the
// source's modification time. The bytes go first into a file in the destination's folder that has
// no name (or, where the file system cannot make one, a hidden temporary name), which replaces the
// destination only once it is complete and on disk. So a failed or interrupted copy leaves the
// destination as it was and nothing beside it. False when anything failed.
bool ReplaceWithCopy(const std::filesystem::path& source, const std::filesystem::path& destination);

// Writes `bytes` as the file `destination`, replacing a file of that name, the same way: the
// destination is the complete new file or stays as it was, with nothing left beside it. The
// system's error when anything failed, none otherwise.
std::error_code ReplaceWithBytes(const std::filesystem::path& destination, std::string_view bytes);

// Removes the entry `path` from its folder unless it is a folder: a file, or a link as a link
// (its target stays). False when nothing was removed.
bool DeleteFileEntry(const std::filesystem::path& path);

}  // namespace kalvor::platform
