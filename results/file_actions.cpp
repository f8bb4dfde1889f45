#include "results/file_actions.h"

#include <system_error>

#include "platform/file_operations.h"

namespace kalvor::results {

namespace fs = std::filesystem;

bool CopyIntoFolder(const fs::path& source, const fs::path& folder) {
    const fs::path name = source.filename();
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const fs::path destination = folder / name;
    std::error_code error;
    if (fs::equivalent(source, destination, error)) {
        return fs::is_regular_file(source, error);
    }
    return platform::ReplaceWithCopy(source, destination);
}

bool RemoveFile(const fs::path& path) {
    return platform::DeleteFileEntry(path);
}

}  // namespace kalvor::results
