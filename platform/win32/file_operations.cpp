#include "platform/file_operations.h"

#include <windows.h>

#include <string>

namespace kalvor::platform {

namespace {

bool IsRegularFile(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

}  // namespace

bool ReplaceWithCopy(const std::filesystem::path& source,
                     const std::filesystem::path& destination) {
    if (!IsRegularFile(source)) {
        return false;
    }
    // The copy gets a hidden name beside its destination and replaces it only when complete, so an
    // interrupted copy never leaves half a document under the real name.
    std::filesystem::path partial = destination;
    partial += L".kalvor-partial";
    if (!CopyFileW(source.c_str(), partial.c_str(), FALSE)) {
        DeleteFileW(partial.c_str());
        return false;
    }
    SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (!MoveFileExW(partial.c_str(), destination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(partial.c_str());
        return false;
    }
    SetFileAttributesW(destination.c_str(), GetFileAttributesW(source.c_str()));
    return true;
}

bool DeleteFileEntry(const std::filesystem::path& path) {
    // DeleteFileW never removes a folder; a file link goes as a link.
    return DeleteFileW(path.c_str()) != 0;
}

}  // namespace kalvor::platform
