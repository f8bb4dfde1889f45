#include "tests/support/temp_dir.h"

#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace kalvor::testing {

namespace fs = std::filesystem;

namespace {

constexpr int kAttempts = 100;

}  // namespace

TempDir::TempDir() {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("kalvor-test-" + std::to_string(random()));
        if (fs::create_directory(candidate)) {
            root_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    // Tests take permissions away to make unreadable folders and read-only files (which Windows
    // will not delete); give them back so removal works.
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(
             root_, fs::directory_options::skip_permission_denied, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
        if (!it->is_symlink(error)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
    }
    fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(root_, error);
}

void WriteBytes(const fs::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

fs::path TempDir::Write(const fs::path& relative, std::span<const std::uint8_t> bytes) const {
    const fs::path full = root_ / relative;
    fs::create_directories(full.parent_path());
    WriteBytes(full, bytes);
    return full;
}

fs::path TempDir::WriteText(const fs::path& relative, std::string_view text) const {
    return Write(relative,
                 std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

fs::path TempDir::MakeDir(const fs::path& relative) const {
    const fs::path full = root_ / relative;
    fs::create_directories(full);
    return full;
}

}  // namespace kalvor::testing
