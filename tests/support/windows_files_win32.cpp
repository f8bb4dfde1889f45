#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <system_error>

#include "tests/support/windows_files.h"

namespace kalvor::testing {

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::int64_t kTicksPerSecond = 10000000;
constexpr std::size_t kLongestFolderName = 200;

}  // namespace

FILETIME FileTimeOfSeconds(std::int64_t seconds) {
    const auto ticks =
        static_cast<std::uint64_t>((seconds + kSecondsFrom1601To1970) * kTicksPerSecond);
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

void SetReadOnlyAttribute(const fs::path& path) {
    if (!SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY)) {
        throw std::runtime_error("cannot set the read-only attribute");
    }
}

std::vector<std::wstring> PlatformListingOrder(const fs::path& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    const HANDLE search = FindFirstFileW((folder.native() + L"\\*").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return names;
}

fs::path LongPath(const fs::path& path) {
    return L"\\\\?\\" + path.native();
}

bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

fs::path FolderOfLength(const fs::path& folder, std::size_t units) {
    fs::path deeper = folder;
    while (deeper.native().size() < units) {
        const std::size_t room = units - deeper.native().size() - 1;
        // Leave room for one more folder of at least one unit after a full-size one.
        deeper /= std::wstring(
            room > kLongestFolderName ? std::min(kLongestFolderName, room - 2) : room, L'd');
    }
    fs::path level;
    for (const fs::path& part : deeper) {
        level /= part;
        CreateDirectoryW(LongPath(level).c_str(), nullptr);  // fails harmlessly where it exists
    }
    return deeper;
}

HeldFile::HeldFile(const fs::path& path, DWORD sharing)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {}

HeldFile::~HeldFile() {
    if (IsOpen()) {
        CloseHandle(handle_);
    }
    if (child_ != nullptr) {
        TerminateProcess(child_, 0);
        WaitForSingleObject(child_, INFINITE);
        CloseHandle(child_);
    }
}

bool HeldFile::HandOverToChildProcess() {
    if (!IsOpen() || !SetHandleInformation(handle_, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) {
        return false;
    }
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring commandLine = L"\"" + std::wstring(self) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    child_ = process.hProcess;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return true;
}

SubstitutedDrive::SubstitutedDrive(const fs::path& folder) {
    const DWORD used = GetLogicalDrives();
    for (wchar_t letter = L'Z'; letter >= L'D' && root_.empty(); --letter) {
        const std::wstring device = std::wstring(1, letter) + L":";
        if ((used & (1U << (letter - L'A'))) == 0 &&
            DefineDosDeviceW(0, device.c_str(), folder.c_str())) {
            device_ = device;
            root_ = device + L"\\";
        }
    }
    // Wine accepts the definition but does not act on it; its drives are links in the prefix,
    // which the test runner makes.
    if (!root_.empty() && GetFileAttributesW(root_.c_str()) == INVALID_FILE_ATTRIBUTES) {
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, device_.c_str(), nullptr);
        device_.clear();
        root_.clear();
    }
    if (root_.empty()) {
        if (const char* given = std::getenv("KALVOR_TEST_DRIVE")) {
            root_ = fs::path(std::string(given) + ":\\");
        }
    }
}

SubstitutedDrive::~SubstitutedDrive() {
    if (!device_.empty()) {
        DefineDosDeviceW(DDD_REMOVE_DEFINITION, device_.c_str(), nullptr);
    } else if (!root_.empty()) {
        std::error_code error;
        for (const fs::directory_entry& entry : fs::directory_iterator(root_, error)) {
            fs::remove_all(entry.path(), error);
        }
    }
}

}  // namespace kalvor::testing
