#pragma once

#include <sys/mount.h>

#include <filesystem>
#include <string>

namespace kalvor::testing {

// A small file system of a test's own, mounted over `where` (as root) for the object's life.
class TmpfsMount {
  public:
    TmpfsMount(const std::filesystem::path& where, unsigned long flags, const std::string& options)
        : where_(where),
          mounted_(mount("kalvor-test", where.c_str(), "tmpfs", flags, options.c_str()) == 0) {}
    ~TmpfsMount() {
        if (mounted_) {
            umount2(where_.c_str(), MNT_DETACH);
        }
    }
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // False where the test may not mount (not root, no mount namespace): skip the case.
    bool Mounted() const { return mounted_; }

  private:
    std::filesystem::path where_;
    bool mounted_;
};

}  // namespace kalvor::testing
