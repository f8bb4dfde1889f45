#include "platform/file_operations.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>

#include "platform/win32/file_stamp.h"

namespace kalvor::platform {

namespace {

constexpr int kTemporaryNameAttempts = 16;
// "~" and up to eight hexadecimal digits.
constexpr std::size_t kLongestTemporaryName = 9;

std::error_code LastError() {
    const DWORD error = GetLastError();
    return {static_cast<int>(error != 0 ? error : ERROR_GEN_FAILURE), std::system_category()};
}

bool IsRegularFile(const std::filesystem::path& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// A hidden name beside `destination` that is no longer than the destination's own name, so that
// wherever the final path fits the path limit, the partial copy's path fits it too.
std::filesystem::path TemporaryPath(const std::filesystem::path& destination) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    const std::size_t length = std::max<std::size_t>(
        2, std::min(destination.filename().native().size(), kLongestTemporaryName));
    std::uint64_t bits = generator();
    std::wstring name = L"~";
    while (name.size() < length) {
        name += L"0123456789abcdef"[bits & 0xF];
        bits >>= 4;
    }
    return destination.parent_path() / name;
}

// Moves the finished partial file over `destination`, or removes it when that fails.
std::error_code PutInPlace(const std::filesystem::path& partial,
                           const std::filesystem::path& destination) {
    if (!MoveFileExW(partial.c_str(), destination.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const std::error_code error = LastError();
        DeleteFileW(partial.c_str());
        return error;
    }
    return {};
}

}  // namespace

std::optional<FileFingerprint> FingerprintOf(const std::filesystem::path& path) {
    // Size and time of the entry itself, as the folder listing gives them; the identity of what
    // it leads to, as the listing's identities are.
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    const std::optional<FileIdentity> identity = IdentityOf(path);
    if (!identity.has_value()) {
        return std::nullopt;
    }
    return FileFingerprint{
        .identity = *identity,
        .size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
        .lastWriteTime = TimeValueOfFileTime(data.ftLastWriteTime),
    };
}

std::error_code ReplaceWithCopy(const std::filesystem::path& source,
                                const std::filesystem::path& destination) {
    if (!IsRegularFile(source)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    // The copy gets a hidden name beside its destination and replaces it only when complete, so an
    // interrupted copy never leaves half a document under the real name.
    std::filesystem::path partial;
    bool copied = false;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && !copied; ++attempt) {
        partial = TemporaryPath(destination);
        copied = CopyFileW(source.c_str(), partial.c_str(), TRUE) != 0;
        const DWORD error = copied ? ERROR_SUCCESS : GetLastError();
        if (!copied && error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            // Whatever the failed copy left under the name it made is removed.
            DeleteFileW(partial.c_str());
            SetLastError(error);
            break;
        }
    }
    if (!copied) {
        return LastError();
    }
    SetFileAttributesW(partial.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if (const std::error_code error = PutInPlace(partial, destination)) {
        return error;
    }
    SetFileAttributesW(destination.c_str(), GetFileAttributesW(source.c_str()));
    return {};
}

std::error_code ReplaceWithBytes(const std::filesystem::path& destination, std::string_view bytes) {
    // As a copy: a hidden name beside the destination until the bytes are on disk.
    std::filesystem::path partial;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < kTemporaryNameAttempts && file == INVALID_HANDLE_VALUE;
         ++attempt) {
        partial = TemporaryPath(destination);
        file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_HIDDEN, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        return LastError();
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
    const std::error_code writeError = written ? std::error_code() : LastError();
    CloseHandle(file);
    if (writeError) {
        DeleteFileW(partial.c_str());
        return writeError;
    }
    const std::error_code error = PutInPlace(partial, destination);
    if (!error) {
        SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    return error;
}

std::error_code DeleteFileEntry(const std::filesystem::path& path) {
    // DeleteFileW never removes a folder; a file link goes as a link.
    return DeleteFileW(path.c_str()) != 0 ? std::error_code() : LastError();
}

}  // namespace kalvor::platform
