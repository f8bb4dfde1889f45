#include "results/file_actions.h"

#include <random>
#include <string>
#include <system_error>

namespace kalvor::results {

namespace fs = std::filesystem;

namespace {

fs::path TemporarySibling(const fs::path& destination) {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    fs::path name = destination;
    name.replace_filename(".kalvor-" + std::to_string(generator()) + ".tmp");
    return name;
}

bool CopyThroughTemporary(const fs::path& source, const fs::path& destination) {
    std::error_code error;
    const fs::path temporary = TemporarySibling(destination);
    if (!fs::copy_file(source, temporary, fs::copy_options::none, error)) {
        if (error != std::errc::file_exists) {
            fs::remove(temporary, error);
        }
        return false;
    }
    // Like the platform's own copy, the copy keeps the original's modification time.
    const fs::file_time_type modified = fs::last_write_time(source, error);
    if (!error) {
        fs::last_write_time(temporary, modified, error);
    }
    fs::rename(temporary, destination, error);
    if (error) {
        fs::remove(temporary, error);
        return false;
    }
    return true;
}

}  // namespace

bool CopyIntoFolder(const fs::path& source, const fs::path& folder) {
    std::error_code error;
    if (!source.has_filename() || !fs::is_regular_file(source, error)) {
        return false;
    }
    const fs::path destination = folder / source.filename();
    if (fs::equivalent(source, destination, error)) {
        return true;
    }
    return CopyThroughTemporary(source, destination);
}

bool RemoveFile(const fs::path& path) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(path, error);
    if (error || fs::is_directory(status)) {
        return false;
    }
    return fs::remove(path, error);
}

}  // namespace kalvor::results
