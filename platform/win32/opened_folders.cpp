#include "platform/opened_folders.h"

namespace kalvor::platform {

// Windows opens a file by its path, and its finder lists a folder without a handle that could
// open files in it; so no folder is held.
struct OpenedFolders::Held {};

OpenedFolders::OpenedFolders() = default;

OpenedFolders::~OpenedFolders() = default;

std::shared_ptr<const OpenedFolder> OpenedFolders::Get(
    const std::filesystem::path& /*path*/, const std::optional<FileIdentity>& /*identity*/) {
    return nullptr;
}

}  // namespace kalvor::platform
