#pragma once

#include <filesystem>
#include <system_error>

#include "scan/result_row.h"

namespace kalvor::results {

// Whether the path of `row` still leads to the file the search listed, unchanged: no error, or
// ActionError::FileReplaced (another file), FileChanged (the same one written since) or FileGone.
std::error_code CheckListedFile(const scan::ResultRow& row);

// Whether the path of `row` still leads to the file the search listed, however it was edited
// since: no error, or ActionError::FileReplaced or FileGone.
std::error_code CheckSameFile(const scan::ResultRow& row);

// Whether the folder that holds `row`'s path is still the one the search found it in: no error,
// or ActionError::FolderReplaced (also when the search could not tell which folder it was) or
// FolderGone.
std::error_code CheckListedFolder(const scan::ResultRow& row);

// Copies `source` into `folder` under the last element of its path, replacing a file of that name
// (see platform::ReplaceWithCopy: a failed or interrupted copy leaves the destination as it was
// and no partial file behind). Copying a file onto itself leaves it untouched. On failure, the
// reason goes to `error` when given.
bool CopyIntoFolder(const std::filesystem::path& source, const std::filesystem::path& folder,
                    std::error_code* error = nullptr);

// Deletes exactly the entry `path` for good: a file, or a link as a link. Never a folder. On
// failure, the reason goes to `error` when given.
bool RemoveFile(const std::filesystem::path& path, std::error_code* error = nullptr);

}  // namespace kalvor::results
