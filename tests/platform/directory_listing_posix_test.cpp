#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/directory_listing.h"
#include "tests/support/temp_dir.h"

namespace kalvor::platform {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> NamesIn(const fs::path& folder) {
    const DirectoryListing listing = ListDirectory(folder);
    EXPECT_FALSE(listing.error);
    const std::vector<DirectoryEntry>& entries = listing.entries;
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : entries) {
        names.push_back(entry.name.native());
    }
    return names;
}

const DirectoryEntry& EntryNamed(const std::vector<DirectoryEntry>& entries, const char* name) {
    for (const DirectoryEntry& entry : entries) {
        if (entry.name == name) {
            return entry;
        }
    }
    throw std::runtime_error(std::string("no entry ") + name);
}

TEST(ListDirectory, ListsInTheOrderOfAnNtfsFolder) {
    const testing::TempDir dir;
    for (const char* name : {"B.doc", "a.doc", "ab.doc", "a_.doc", "\xD0\xB1.doc", "\xD0\x90.doc",
                             "\xFF.doc", ".hidden"}) {
        dir.WriteText(name, "x");
    }
    dir.MakeDir("a_dir");
    const std::vector<std::string> expected = {".hidden", "a.doc", "ab.doc",       "a_.doc",
                                               "a_dir",   "B.doc", "\xD0\x90.doc", "\xD0\xB1.doc",
                                               "\xFF.doc"};  // А before б, then the invalid byte
    EXPECT_EQ(NamesIn(dir.Path()), expected);
}

TEST(ListDirectory, DescribesEachEntryWithLinksFollowed) {
    const testing::TempDir dir;
    const fs::path file = dir.WriteText("file.doc", "12345");
    const fs::path folder = dir.MakeDir("folder");
    fs::create_directory_symlink("folder", dir.Path() / "link");
    fs::create_symlink("nowhere", dir.Path() / "dangling");
    ASSERT_EQ(mkfifo((dir.Path() / "fifo.doc").c_str(), 0600), 0);
    const timespec times[2] = {{0, UTIME_OMIT}, {1204679222, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    const fs::path big = dir.WriteText("big", "");
    ASSERT_EQ(truncate(big.c_str(), 5'000'000'000), 0);

    const DirectoryListing listing = ListDirectory(dir.Path());
    EXPECT_FALSE(listing.error);
    const std::vector<DirectoryEntry>& entries = listing.entries;
    ASSERT_EQ(entries.size(), 6u);

    const DirectoryEntry& plain = EntryNamed(entries, "file.doc");
    EXPECT_FALSE(plain.isDirectory);
    EXPECT_EQ(plain.size, 5u);
    EXPECT_EQ(plain.lastWriteTime, 1204679222);
    EXPECT_EQ(EntryNamed(entries, "big").size, 5'000'000'000u);

    EXPECT_TRUE(EntryNamed(entries, "folder").isDirectory);
    const DirectoryEntry& link = EntryNamed(entries, "link");
    EXPECT_TRUE(link.isDirectory);
    EXPECT_EQ(link.identity, IdentityOf(folder).value());
    EXPECT_EQ(EntryNamed(entries, "folder").identity, link.identity);

    const DirectoryEntry& dangling = EntryNamed(entries, "dangling");
    EXPECT_FALSE(dangling.isDirectory);
    EXPECT_EQ(dangling.size, std::string("nowhere").size());
    EXPECT_FALSE(EntryNamed(entries, "fifo.doc").isDirectory);
}

TEST(ListDirectory, HoldsEveryFolderAndOnlyTheFilesWanted) {
    const testing::TempDir dir;
    dir.WriteText("wanted.doc", "x");
    dir.WriteText("other.txt", "x");
    dir.MakeDir("folder.txt");
    fs::create_directory_symlink("folder.txt", dir.Path() / "link-to-folder.txt");
    fs::create_symlink("wanted.doc", dir.Path() / "link-to-file.doc");
    fs::create_symlink("other.txt", dir.Path() / "link-to-file.txt");
    fs::create_symlink("nowhere", dir.Path() / "dangling.doc");
    ASSERT_EQ(mkfifo((dir.Path() / "fifo.doc").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((dir.Path() / "fifo.txt").c_str(), 0600), 0);

    const auto endsInDoc = [](NativeName name) { return name.ends_with(".doc"); };
    const DirectoryListing listing = ListDirectory(dir.Path(), endsInDoc);
    EXPECT_FALSE(listing.error);
    const std::vector<DirectoryEntry>& entries = listing.entries;
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : entries) {
        names.push_back(entry.name.native());
    }
    const std::vector<std::string> expected = {"dangling.doc",       "fifo.doc",
                                               "folder.txt",         "link-to-file.doc",
                                               "link-to-folder.txt", "wanted.doc"};
    EXPECT_EQ(names, expected);

    struct Kind {
        const char* name;
        bool isRegularFile;
        bool isLink;
    };
    for (const Kind& kind : {Kind{"wanted.doc", true, false}, Kind{"link-to-file.doc", true, true},
                             Kind{"dangling.doc", false, true}, Kind{"fifo.doc", false, false},
                             Kind{"folder.txt", false, false}}) {
        SCOPED_TRACE(kind.name);
        EXPECT_EQ(EntryNamed(entries, kind.name).isRegularFile, kind.isRegularFile);
        EXPECT_EQ(EntryNamed(entries, kind.name).isLink, kind.isLink);
    }
}

TEST(ListDirectory, GivesNothingForWhatIsNotAListableFolder) {
    const testing::TempDir dir;
    const fs::path file = dir.WriteText("file", "x");
    EXPECT_TRUE(ListDirectory(dir.Path() / "missing").error);
    EXPECT_TRUE(ListDirectory(file).error);
    EXPECT_FALSE(IdentityOf(dir.Path() / "missing").has_value());
    const DirectoryListing empty = ListDirectory(dir.MakeDir("empty"));
    EXPECT_FALSE(empty.error);
    EXPECT_EQ(empty.entries.size(), 0u);
}

}  // namespace
}  // namespace kalvor::platform
