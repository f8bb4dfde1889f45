#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>
#include <utility>

namespace kalvor::testing {

// A mount of a test's own (as root), undone when the object goes. Mounted() is false where the
// test may not mount (not root, no mount namespace): skip the case then.
class TestMount {
  public:
    // A small file system of its own over `where`.
    static TestMount Tmpfs(const std::filesystem::path& where, unsigned long flags,
                           const std::string& options) {
        return TestMount(where,
                         mount("kalvor-test", where.c_str(), "tmpfs", flags, options.c_str()) == 0);
    }

    // `source` seen again at `where`, read-only when asked.
    static TestMount Bind(const std::filesystem::path& source, const std::filesystem::path& where,
                          bool readOnly) {
        TestMount bind(where, mount(source.c_str(), where.c_str(), nullptr, MS_BIND, nullptr) == 0);
        if (bind.mounted_ && readOnly &&
            mount(nullptr, where.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
                0) {
            return TestMount(where, false);
        }
        return bind;
    }

    TestMount(TestMount&& other) noexcept
        : where_(std::move(other.where_)), mounted_(std::exchange(other.mounted_, false)) {}
    TestMount& operator=(TestMount&&) = delete;
    TestMount(const TestMount&) = delete;
    TestMount& operator=(const TestMount&) = delete;
    ~TestMount() {
        if (mounted_) {
            umount2(where_.c_str(), MNT_DETACH);
        }
    }

    bool Mounted() const { return mounted_; }

  private:
    TestMount(std::filesystem::path where, bool mounted)
        : where_(std::move(where)), mounted_(mounted) {}

    std::filesystem::path where_;
    bool mounted_;
};

}  // namespace kalvor::testing
