#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <iterator>
#include <string>

#include "results/file_actions.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FileContents;
using testing::TempDir;

std::size_t EntryCount(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class FileActionsTest : public ::testing::Test {
  protected:
    TempDir temp;
    fs::path source = temp.WriteText("src/report.doc", "original bytes");
    fs::path target = temp.MakeDir("target");
};

TEST_F(FileActionsTest, CopyWritesTheFileUnderItsOwnNameWithItsModificationTime) {
    const auto stamp = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(source, stamp);
    ASSERT_TRUE(CopyIntoFolder(source, target));
    EXPECT_EQ(FileContents(target / "report.doc"), "original bytes");
    EXPECT_EQ(fs::last_write_time(target / "report.doc"), stamp);
    EXPECT_EQ(EntryCount(target), 1U);
}

TEST_F(FileActionsTest, CopyReplacesAFileOfTheSameName) {
    temp.WriteText("target/report.doc", "an older copy that was longer");
    ASSERT_TRUE(CopyIntoFolder(source, target));
    EXPECT_EQ(FileContents(target / "report.doc"), "original bytes");
    EXPECT_EQ(EntryCount(target), 1U);
}

TEST_F(FileActionsTest, CopyOntoItselfLeavesTheFileIntact) {
    const auto inode = [](const fs::path& path) {
        struct stat status {};
        ::stat(path.c_str(), &status);
        return status.st_ino;
    };
    const auto before = inode(source);
    EXPECT_TRUE(CopyIntoFolder(source, source.parent_path()));
    EXPECT_EQ(FileContents(source), "original bytes");
    EXPECT_EQ(inode(source), before);
    EXPECT_EQ(EntryCount(source.parent_path()), 1U);
}

TEST_F(FileActionsTest, CopyKeepsANameThatIsNotUtf8Exactly) {
    const fs::path odd = temp.WriteText(fs::path("src") / "\xff\xfe-\xc3.doc", "odd");
    ASSERT_TRUE(CopyIntoFolder(odd, target));
    EXPECT_EQ(FileContents(target / "\xff\xfe-\xc3.doc"), "odd");
}

TEST_F(FileActionsTest, FailedCopiesLeaveNothingBehind) {
    ASSERT_EQ(::mkfifo((temp.Path() / "src" / "pipe.doc").c_str(), 0600), 0);
    temp.MakeDir("blocked/report.doc");
    struct Case {
        const char* name;
        fs::path source;
        fs::path folder;
    };
    const Case cases[] = {
        {"missing source", temp.Path() / "src" / "gone.doc", target},
        {"source is a folder", temp.MakeDir("src/folder.doc"), target},
        {"source is a FIFO", temp.Path() / "src" / "pipe.doc", target},
        {"missing destination folder", source, temp.Path() / "nowhere"},
        {"destination name is a folder", source, temp.Path() / "blocked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t before = fs::exists(c.folder) ? EntryCount(c.folder) : 0;
        EXPECT_FALSE(CopyIntoFolder(c.source, c.folder));
        if (fs::exists(c.folder)) {
            EXPECT_EQ(EntryCount(c.folder), before);
        }
    }
    EXPECT_TRUE(fs::is_directory(temp.Path() / "blocked" / "report.doc"));
}

TEST_F(FileActionsTest, RemoveDeletesFilesAndLinksButNeverFolders) {
    const fs::path folder = temp.MakeDir("folder.doc");
    const fs::path fileLink = temp.Path() / "file-link.doc";
    const fs::path folderLink = temp.Path() / "folder-link.doc";
    fs::create_symlink(source, fileLink);
    fs::create_symlink(folder, folderLink);
    const fs::path odd = temp.WriteText("\xff\xfe.doc", "odd");
    struct Case {
        const char* name;
        fs::path path;
        bool removed;
    };
    const Case cases[] = {
        {"link to a file", fileLink, true},
        {"link to a folder", folderLink, true},
        {"name that is not UTF-8", odd, true},
        {"folder", folder, false},
        {"missing file", temp.Path() / "gone.doc", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RemoveFile(c.path), c.removed);
        EXPECT_EQ(fs::exists(fs::symlink_status(c.path)), !c.removed && c.path == folder);
    }
    EXPECT_EQ(FileContents(source), "original bytes");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(RemoveFile(source));
    EXPECT_FALSE(fs::exists(source));
}

}  // namespace
}  // namespace kalvor::results
