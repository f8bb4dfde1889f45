#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>
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
    const DirectoryListing listing = ListDirectory(dir.Path());
    ASSERT_FALSE(listing.error);
    EXPECT_EQ(NamesOf(listing.entries), testing::PlatformListingOrder(dir.Path()));
    EXPECT_EQ(listing.entries.size(), 9U);
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

    const DirectoryListing listing = ListDirectory(dir.Path());
    ASSERT_FALSE(listing.error);
    ASSERT_EQ(listing.entries.size(), 2U);
    for (const DirectoryEntry& entry : listing.entries) {
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
    EXPECT_FALSE(ListDirectory(fits).error);
    EXPECT_EQ(ListDirectory(tooLong).error, std::errc::filename_too_long);
    EXPECT_TRUE(ListDirectory(dir.Path() / "missing").error);
    EXPECT_TRUE(ListDirectory(dir.WriteText("file", "x")).error);
}

TEST(ListDirectoryOnWindows, ListsADriveRootThroughADoubledSeparator) {
    const testing::TempDir dir;
    const testing::SubstitutedDrive drive(dir.Path());
    if (drive.Root().empty()) {
        GTEST_SKIP() << "no drive to map";
    }
    DirectoryListing listing = ListDirectory(drive.Root());
    ASSERT_FALSE(listing.error);
    EXPECT_TRUE(listing.entries.empty());
    testing::WriteBytes(drive.Root() / "a.doc", {});
    listing = ListDirectory(drive.Root());
    ASSERT_FALSE(listing.error);
    EXPECT_EQ(NamesOf(listing.entries), std::vector<std::wstring>{L"a.doc"});
}

}  // namespace
}  // namespace kalvor::platform
