#include "platform/file_operations.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <random>
#include <string>

#include "platform/posix/open_keeping_access_time.h"
#include "platform/posix/unique_fd.h"

namespace kalvor::platform {

namespace {

constexpr int kTemporaryNameAttempts = 16;

// errno as an error; a failure that set none still counts as one.
std::error_code LastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

bool WriteAll(int fd, const char* bytes, std::size_t count) {
    while (count > 0) {
        const ssize_t written = write(fd, bytes, count);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        bytes += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CopyBytes(int from, int to) {
    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t got = read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got == 0;
        }
        if (!WriteAll(to, buffer.data(), static_cast<std::size_t>(got))) {
            return false;
        }
    }
}

std::string TemporaryName() {
    static thread_local std::mt19937_64 generator{std::random_device{}()};
    return ".kalvor-" + std::to_string(generator()) + ".tmp";
}

// A file being written in the destination's folder, removed again unless it is put in place.
class PendingCopy {
  public:
    PendingCopy(const std::filesystem::path& folder, mode_t mode)
        : folder_(open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {
        if (!folder_.Valid()) {
            return;
        }
        file_ = UniqueFd(open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode));
        if (!file_.Valid() && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            OpenNamed(mode);
        }
    }
    ~PendingCopy() {
        if (name_.has_value()) {
            unlinkat(folder_.Get(), name_->c_str(), 0);
        }
    }
    PendingCopy(const PendingCopy&) = delete;
    PendingCopy& operator=(const PendingCopy&) = delete;

    int File() const { return file_.Get(); }

    // Gives the file the name `name` in the folder, replacing what had that name.
    bool PutInPlace(const std::string& name) {
        if (!name_.has_value() && !LinkUnnamed()) {
            return false;
        }
        if (renameat(folder_.Get(), name_->c_str(), folder_.Get(), name.c_str()) != 0) {
            return false;
        }
        name_.reset();
        return true;
    }

  private:
    void OpenNamed(mode_t mode) {
        for (int attempt = 0; attempt < kTemporaryNameAttempts && !file_.Valid(); ++attempt) {
            const std::string name = TemporaryName();
            file_ = UniqueFd(openat(folder_.Get(), name.c_str(),
                                    O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, mode));
            if (file_.Valid()) {
                name_ = name;
            } else if (errno != EEXIST) {
                return;
            }
        }
    }

    // An unnamed file gets a temporary name only once complete, so rename() can put it in place.
    bool LinkUnnamed() {
        const std::string self = DescriptorPath(file_.Get());
        for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
            const std::string name = TemporaryName();
            if (linkat(AT_FDCWD, self.c_str(), folder_.Get(), name.c_str(), AT_SYMLINK_FOLLOW) ==
                    0 ||
                linkat(file_.Get(), "", folder_.Get(), name.c_str(), AT_EMPTY_PATH) == 0) {
                name_ = name;
                return true;
            }
            if (errno != EEXIST) {
                return false;
            }
        }
        return false;
    }

    UniqueFd folder_;
    UniqueFd file_;
    std::optional<std::string> name_;  // the temporary name, while the file has one
};

}  // namespace

std::optional<FileFingerprint> FingerprintOf(const std::filesystem::path& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileFingerprint{
        .identity = {static_cast<std::uint64_t>(status.st_dev),
                     static_cast<std::uint64_t>(status.st_ino)},
        .size = static_cast<std::uint64_t>(status.st_size),
        .lastWriteTime = status.st_mtim.tv_sec,
    };
}

std::error_code ReplaceWithCopy(const std::filesystem::path& source,
                                const std::filesystem::path& destination) {
    const UniqueFd in(
        OpenKeepingAccessTime(source.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!in.Valid() || fstat(in.Get(), &status) != 0) {
        return LastError();
    }
    if (!S_ISREG(status.st_mode)) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    if (!destination.has_filename()) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const std::filesystem::path folder =
        destination.has_parent_path() ? destination.parent_path() : std::filesystem::path(".");
    PendingCopy copy(folder, status.st_mode & 0777);
    if (copy.File() < 0 || !CopyBytes(in.Get(), copy.File())) {
        return LastError();
    }
    const timespec times[2] = {{0, UTIME_OMIT}, status.st_mtim};
    if (futimens(copy.File(), times) != 0 || fsync(copy.File()) != 0 ||
        !copy.PutInPlace(destination.filename().native())) {
        return LastError();
    }
    return {};
}

std::error_code ReplaceWithBytes(const std::filesystem::path& destination, std::string_view bytes) {
    if (!destination.has_filename()) {
        return std::make_error_code(std::errc::is_a_directory);
    }
    const std::filesystem::path folder =
        destination.has_parent_path() ? destination.parent_path() : std::filesystem::path(".");
    errno = 0;
    PendingCopy file(folder, 0666);
    if (file.File() >= 0 && WriteAll(file.File(), bytes.data(), bytes.size()) &&
        fsync(file.File()) == 0 && file.PutInPlace(destination.filename().native())) {
        return {};
    }
    return LastError();
}

std::error_code DeleteFileEntry(const std::filesystem::path& path) {
    // unlink() never removes a folder, even one put in the file's place a moment ago.
    return unlink(path.c_str()) == 0 ? std::error_code() : LastError();
}

}  // namespace kalvor::platform
