#include "results/file_actions.h"

#include <optional>

#include "platform/file_operations.h"
#include "results/action_error.h"

namespace kalvor::results {

namespace fs = std::filesystem;

namespace {

bool Succeeded(const std::error_code& outcome, std::error_code* error) {
    if (outcome && error != nullptr) {
        *error = outcome;
    }
    return !outcome;
}

enum class Since { Replaced, Changed };

std::error_code CheckFile(const scan::ResultRow& row, Since refused) {
    const std::optional<platform::FileFingerprint> now = platform::FingerprintOf(row.path);
    if (!now.has_value()) {
        return ActionError::FileGone;
    }
    if (now->identity != row.fingerprint.identity) {
        return ActionError::FileReplaced;
    }
    if (refused == Since::Changed && *now != row.fingerprint) {
        return ActionError::FileChanged;
    }
    return {};
}

}  // namespace

std::error_code CheckListedFile(const scan::ResultRow& row) {
    return CheckFile(row, Since::Changed);
}

std::error_code CheckSameFile(const scan::ResultRow& row) {
    return CheckFile(row, Since::Replaced);
}

std::error_code CheckListedFolder(const scan::ResultRow& row) {
    const std::optional<platform::FileIdentity> now = platform::IdentityOf(row.path.parent_path());
    if (!now.has_value()) {
        return ActionError::FolderGone;
    }
    return now == row.folderIdentity ? std::error_code() : ActionError::FolderReplaced;
}

bool CopyIntoFolder(const fs::path& source, const fs::path& folder, std::error_code* error) {
    const fs::path name = source.filename();
    if (name.empty() || name == "." || name == "..") {
        return Succeeded(std::make_error_code(std::errc::is_a_directory), error);
    }
    const fs::path destination = folder / name;
    std::error_code sameFile;
    if (fs::equivalent(source, destination, sameFile)) {
        return Succeeded(fs::is_regular_file(source, sameFile)
                             ? std::error_code()
                             : std::make_error_code(std::errc::invalid_argument),
                         error);
    }
    return Succeeded(platform::ReplaceWithCopy(source, destination), error);
}

bool RemoveFile(const fs::path& path, std::error_code* error) {
    return Succeeded(platform::DeleteFileEntry(path), error);
}

}  // namespace kalvor::results
