#include "platform/file_operations.h"

#include <windows.h>

#include <algorithm>
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

std::error_code ReplaceWithBytes(const std::filesystem::path& destination, std::string_view bytes) {
    // As a copy: a hidden name beside the destination until the bytes are on disk.
    std::filesystem::path partial = destination;
    partial += L".kalvor-partial";
    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {static_cast<int>(GetLastError()), std::system_category()};
    }
    constexpr std::size_t kLargestWrite = 1 << 30;
    bool written = true;
    for (std::string_view rest = bytes; written && !rest.empty();) {
        DWORD count = 0;
        written =
            WriteFile(file, rest.data(), static_cast<DWORD>(std::min(rest.size(), kLargestWrite)),
                      &count, nullptr) != 0;
        rest.remove_prefix(count);
    }
    written = written && FlushFileBuffers(file) != 0;
    const DWORD error = written ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (written && MoveFileExW(partial.c_str(), destination.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
        return {};
    }
    const DWORD failure = written ? GetLastError() : error;
    DeleteFileW(partial.c_str());
    return {static_cast<int>(failure), std::system_category()};
}

bool DeleteFileEntry(const std::filesystem::path& path) {
    // DeleteFileW never removes a folder; a file link goes as a link.
    return DeleteFileW(path.c_str()) != 0;
}

}  // namespace kalvor::platform
