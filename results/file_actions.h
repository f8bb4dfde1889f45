#pragma once

#include <filesystem>

namespace kalvor::results {

// Copies `source` into `folder` under its own name, replacing a file of that name. The copy is
// written beside the destination first and renamed over it, so a failure leaves the destination
// as it was and no partial file behind. Copying a file onto itself leaves it untouched.
bool CopyIntoFolder(const std::filesystem::path& source, const std::filesystem::path& folder);

// Deletes exactly `path` for good: a file, or a link as a link. Never a folder.
bool RemoveFile(const std::filesystem::path& path);

}  // namespace kalvor::results
