#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/directory_listing.h"
#include "tests/support/temp_dir.h"
#include "tests/support/windows_files.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::wstring> NamesOf(const std::vector<DirectoryEntry>& entries) {
    std::vector<std::wstring> names;
    for (const DirectoryEntry& entry : entries) {
        names.push_back(entry.name.native());
    }
    return names;
}

TEST(ListDirectoryOnWindows, KeepsTheOrderThePlatformListsIn) {
    const testing::TempDir dir;
    for (const char* name : {"z.doc", "B.doc", "a.doc", "_x", "10", "9", "ä.doc", "Ab"}) {
        dir.WriteText(name, "x");
    }
    dir.MakeDir("m");
    const auto entries = ListDirectory(dir.Path());
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(NamesOf(*entries), testing::PlatformListingOrder(dir.Path()));
    EXPECT_EQ(entries->size(), 9U);
}

TEST(ListDirectoryOnWindows, DescribesEachEntry) {
    const testing::TempDir dir;
    const fs::path file = dir.WriteText("a.doc", "12345");
    dir.MakeDir("folder");
    const HANDLE handle = CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const FILETIME created = testing::FileTimeOfSeconds(1204679222);
    const FILETIME written = testing::FileTimeOfSeconds(1246355102);
    EXPECT_TRUE(SetFileTime(handle, &created, nullptr, &written));
    CloseHandle(handle);

    const auto entries = ListDirectory(dir.Path());
    ASSERT_TRUE(entries.has_value());
    ASSERT_EQ(entries->size(), 2U);
    for (const DirectoryEntry& entry : *entries) {
        if (entry.name == "a.doc") {
            EXPECT_FALSE(entry.isDirectory);
            EXPECT_EQ(entry.size, 5U);
            if (!testing::RunningUnderWine()) {
                EXPECT_EQ(entry.creationTime, 1204679222);
            }
            EXPECT_EQ(entry.lastWriteTime, 1246355102);
        } else {
            EXPECT_EQ(entry.name, "folder");
            EXPECT_TRUE(entry.isDirectory);
            EXPECT_EQ(entry.identity, IdentityOf(dir.Path() / "folder"));
            EXPECT_NE(entry.identity, IdentityOf(dir.Path()));
        }
    }
}

TEST(ListDirectoryOnWindows, RefusesFoldersWhosePatternDoesNotFitAPathBuffer) {
    const testing::TempDir dir;
    // The pattern is the folder and "\*": 257 units give a pattern of 259, 258 one of 260.
    const fs::path fits = testing::FolderOfLength(dir.Path() / "a", 257);
    const fs::path tooLong = testing::FolderOfLength(dir.Path() / "b", 258);
    EXPECT_TRUE(ListDirectory(fits).has_value());
    EXPECT_FALSE(ListDirectory(tooLong).has_value());
    EXPECT_FALSE(ListDirectory(dir.Path() / "missing").has_value());
    EXPECT_FALSE(ListDirectory(dir.WriteText("file", "x")).has_value());
}

TEST(ListDirectoryOnWindows, ListsADriveRootThroughADoubledSeparator) {
    const testing::TempDir dir;
    const testing::SubstitutedDrive drive(dir.Path());
    if (drive.Root().empty()) {
        GTEST_SKIP() << "no drive to map";
    }
    auto entries = ListDirectory(drive.Root());
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(entries->empty());
    testing::WriteBytes(drive.Root() / "a.doc", {});
    entries = ListDirectory(drive.Root());
    ASSERT_TRUE(entries.has_value());
    EXPECT_EQ(NamesOf(*entries), std::vector<std::wstring>{L"a.doc"});
}

}  // namespace
}  // namespace kalvor::platform
