#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kalvor::testing {

// The FILETIME of `seconds` since 1970-01-01 00:00:00 UTC.
FILETIME FileTimeOfSeconds(std::int64_t seconds);

void SetReadOnlyAttribute(const std::filesystem::path& path);

// The names in `folder` in the order FindFirstFileW and FindNextFileW give them, "." and ".."
// left out.
std::vector<std::wstring> PlatformListingOrder(const std::filesystem::path& folder);

// `path` with the prefix that lifts the 260-unit limit, for making files beyond it.
std::filesystem::path LongPath(const std::filesystem::path& path);

// True under Wine, which keeps no creation stamp of its own.
bool RunningUnderWine();

// `folder`, made deeper by folders of at most 200 units, so that its path has exactly `units`.
std::filesystem::path FolderOfLength(const std::filesystem::path& folder, std::size_t units);

// A handle on a file, opened with the given sharing, closed when the object goes.
class HeldFile {
  public:
    HeldFile(const std::filesystem::path& path, DWORD sharing);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // Lets a suspended child process inherit the handle and closes ours, so that only the child
    // holds the file; the child is ended when this object goes.
    bool HandOverToChildProcess();

  private:
    HANDLE handle_;
    HANDLE child_ = nullptr;
};

// A drive letter standing for `folder`, like "subst"; removed when the object goes. Where the
// system cannot make one (Wine), the empty scratch drive named by KALVOR_TEST_DRIVE ("K") stands
// in for it, and is emptied when the object goes. Files go through Root().
class SubstitutedDrive {
  public:
    explicit SubstitutedDrive(const std::filesystem::path& folder);
    ~SubstitutedDrive();
    SubstitutedDrive(const SubstitutedDrive&) = delete;
    SubstitutedDrive& operator=(const SubstitutedDrive&) = delete;

    // "K:\" for drive K; empty when there is no drive to use.
    const std::filesystem::path& Root() const { return root_; }

  private:
    std::wstring device_;  // the letter defined here, if any
    std::filesystem::path root_;
};

}  // namespace kalvor::testing
