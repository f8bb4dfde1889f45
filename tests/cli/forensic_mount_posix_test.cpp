#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scan_command_runner.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"
#include "tests/support/word_stream.h"

namespace kalvor::cli {
namespace {

namespace fs = std::filesystem;

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Every stamp of every file below `root`, as the system tells them.
std::string StampsBelow(const fs::path& root) {
    std::ostringstream stamps;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        struct stat status {};
        lstat(entry.path().c_str(), &status);
        stamps << entry.path().native() << ' ' << status.st_atim.tv_sec << '.'
               << status.st_atim.tv_nsec << ' ' << status.st_mtim.tv_sec << '.'
               << status.st_mtim.tv_nsec << ' ' << status.st_ctim.tv_sec << '.'
               << status.st_ctim.tv_nsec << '\n';
    }
    return stamps.str();
}

// The rows of a text report with `root` taken out of the paths and without the creation time,
// which an image made of a tree does not carry over.
std::string RowsBelow(const std::string& report, const fs::path& root) {
    std::istringstream lines(report);
    std::string rows;
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> cells;
        std::istringstream fields(line);
        for (std::string cell; std::getline(fields, cell, '\t');) {
            cells.push_back(cell);
        }
        if (cells.size() != 5 || !cells[1].starts_with(root.native())) {
            return "unexpected line: " + line;
        }
        rows += cells[0] + '\t' + cells[1].substr(root.native().size()) + '\t' + cells[2] + '\t' +
                cells[4] + '\n';
    }
    return rows;
}

// An image of a file system mounted read-only through a loop device, undone when it goes.
class LoopMount {
  public:
    LoopMount(const fs::path& image, const fs::path& where) : where_(where) {
        const std::string command =
            "mount -o loop,ro,noload '" + image.native() + "' '" + where.native() + "' 2>/dev/null";
        mounted_ = std::system(command.c_str()) == 0;
    }
    ~LoopMount() {
        if (mounted_) {
            umount2(where_.c_str(), MNT_DETACH);
        }
    }
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool Mounted() const { return mounted_; }

  private:
    fs::path where_;
    bool mounted_ = false;
};

// An auditor with read access only, on a disk image mounted read-only for a forensic look, finds
// what a search of the same tree on a writable disk finds, and leaves the image as it was.
TEST(ForensicMount, ListsWhatAWritableCopyListsAndChangesNothing) {
    const testing::TempDir dir;
    fs::permissions(dir.Path(), fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    const fs::path tree = dir.MakeDir("tree");
    const std::vector<std::uint8_t> marked = testing::WordDocumentWithText(u"绝密");
    dir.Write("tree/a.doc", marked);
    dir.Write("tree/case/b.doc", testing::WordDocumentWithText(u"没有标志"));
    dir.Write("tree/case/c.doc", marked);
    dir.WriteText("tree/case/notes.doc", "not a compound file");
    dir.Write("tree/z.doc", marked);
    const fs::path image = dir.Path() / "evidence.img";
    const std::string make =
        "mkfs.ext4 -q -F -d '" + tree.native() + "' '" + image.native() + "' 16M >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) {
        GTEST_SKIP() << "mkfs.ext4 cannot make an image here";
    }
    const fs::path mounted = dir.MakeDir("mounted");
    const LoopMount mount(image, mounted);
    if (!mount.Mounted()) {
        GTEST_SKIP() << "no loop mount here";
    }
    const std::string imageBefore = FileBytes(image);
    const std::string stampsBefore = StampsBelow(mounted);

    const CommandResult writable = RunScan({"--jobs", "2", tree.native()});
    const std::string rows = RowsBelow(writable.out, tree);
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 3) << rows;
    const std::optional<std::string> onImage = testing::RunUnprivileged([&] {
        const CommandResult result =
            RunScan({"--include", "read-only", "--jobs", "2", mounted.native()});
        return std::to_string(result.status) + '\n' + RowsBelow(result.out, mounted);
    });
    EXPECT_EQ(onImage, std::to_string(writable.status) + '\n' + rows);
    // Each row says it was read as a read-only document; a default search's rows never do.
    const std::optional<std::string> json = testing::RunUnprivileged([&] {
        return RunScan({"--include", "read-only", "--format", "json", mounted.native()}).out;
    });
    ASSERT_TRUE(json.has_value());
    EXPECT_EQ(Count(*json, "\"access\":\"read-only\"}\n"), 3u) << *json;
    EXPECT_EQ(Count(RunScan({"--format", "json", tree.native()}).out, "\"access\""), 0u);

    EXPECT_EQ(StampsBelow(mounted), stampsBefore);
    EXPECT_TRUE(FileBytes(image) == imageBefore);
}

}  // namespace
}  // namespace kalvor::cli
