#pragma once

#include <filesystem>

namespace kalvor::results {

// Copies `source` into `folder` under the last element of its path, replacing a file of that name
// (see platform::ReplaceWithCopy: a failed or interrupted copy leaves the destination as it was
// and no partial file behind). Copying a file onto itself leaves it untouched.
bool CopyIntoFolder(const std::filesystem::path& source, const std::filesystem::path& folder);

// Deletes exactly the entry `path` for good: a file, or a link as a link. Never a folder.
bool RemoveFile(const std::filesystem::path& path);

}  // namespace kalvor::results
