#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/path_encoding.h"
#include "report/cell_texts.h"
#include "report/reason_texts.h"
#include "scan/folder_search.h"
#include "scan/result_row.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_mount.h"
#include "tests/support/unprivileged.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

const std::vector<std::uint8_t> kMarkedDocument = testing::WordDocumentWithText(u"文件 绝密");
const std::vector<std::uint8_t> kPlainDocument = testing::WordDocumentWithText(u"公开文件");

void SetModificationTime(const fs::path& path, std::int64_t seconds) {
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

std::unique_ptr<testing::TempDir> TempDirUnder(const fs::path& parent) {
    const char* previous = getenv("TMPDIR");
    const std::optional<std::string> kept =
        previous == nullptr ? std::nullopt : std::optional<std::string>(previous);
    setenv("TMPDIR", parent.c_str(), 1);
    auto dir = std::make_unique<testing::TempDir>();
    if (kept.has_value()) {
        setenv("TMPDIR", kept->c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
    return dir;
}

class FolderSearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }

    SearchProgress Search(const fs::path& folder) { return SearchFolder(folder, sink_); }

    testing::TempDir dir_;
    SearchSinkRecorder sink_;
};

TEST_F(FolderSearchTest, DeliversRowsInWalkOrderDepthFirst) {
    dir_.Write("z.doc", kMarkedDocument);
    dir_.Write("s/b.doc", kMarkedDocument);
    dir_.Write("s/c.doc", kPlainDocument);
    dir_.Write("a.doc", kMarkedDocument);
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), (Paths{"a.doc", "s/b.doc", "z.doc"}));
    EXPECT_EQ(sink_.rows[1].path, dir_.Path() / "s" / "b.doc");
    EXPECT_EQ(platform::PathText(sink_.rows[1].path), (dir_.Path() / "s" / "b.doc").native());
    for (const ResultRow& row : sink_.rows) {
        EXPECT_EQ(row.folderIdentity, platform::IdentityOf(row.path.parent_path())) << row.path;
    }
    EXPECT_NE(sink_.rows[0].folderIdentity, sink_.rows[1].folderIdentity);
    EXPECT_EQ(progress.foldersListed, 2u);
    EXPECT_EQ(progress.documentsExamined, 4u);
    EXPECT_EQ(progress.documentsMarked, 3u);
    EXPECT_EQ(progress.documentsNotExamined, 0u);
    EXPECT_GE(sink_.progressNotes, 2u);
}

TEST_F(FolderSearchTest, TakesFilesByTheirLastExtensionAndEntersEveryFolder) {
    for (const char* name : {"A.DOC", "b.Doc", "x.doc", ".doc", ".h.doc", "d.docx", "e.doc.bak",
                             "doc", "f.", "dir.doc/y.doc", "sub/g.dOC"}) {
        dir_.WriteText(name, "{\\rtf1 not a compound file}");
    }
    Search(dir_.Path());
    EXPECT_EQ(sink_.NotExaminedPaths(dir_.Path()),
              (Paths{".doc", ".h.doc", "A.DOC", "b.Doc", "dir.doc/y.doc", "sub/g.dOC", "x.doc"}));
    for (const auto& [path, reason] : sink_.notExamined) {
        EXPECT_EQ(reason, cfb::StreamReadResult::NotCompoundFile) << path;
    }
}

TEST_F(FolderSearchTest, EntersFolderLinksButNeverAFolderBeingWalked) {
    dir_.WriteText("real/d.doc", "x");
    fs::create_directory_symlink("real", dir_.Path() / "link");
    fs::create_directory_symlink("..", dir_.Path() / "real" / "up");
    fs::create_directory_symlink(".", dir_.Path() / "real" / "self");
    dir_.WriteText("x/b/f.doc", "x");
    dir_.MakeDir("x/a");
    fs::create_directory_symlink("../b", dir_.Path() / "x" / "a" / "tob");
    fs::create_directory_symlink("../a", dir_.Path() / "x" / "b" / "toa");
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(sink_.NotExaminedPaths(dir_.Path()), (Paths{"link/d.doc", "x/a/tob/f.doc"}));
    // root, link, x, x/a, x/a/tob. Each folder is walked once, by the first path that reaches it:
    // real as link, x/b as x/a/tob; x/b/toa would lead to x/a, being walked.
    EXPECT_EQ(progress.foldersListed, 5u);
}

TEST_F(FolderSearchTest, ExaminesADanglingLinkAsAFile) {
    fs::create_symlink("nowhere.doc", dir_.Path() / "gone.doc");
    Search(dir_.Path());
    ASSERT_EQ(sink_.notExamined.size(), 1u);
    EXPECT_EQ(sink_.notExamined[0].first, dir_.Path() / "gone.doc");
    EXPECT_EQ(sink_.notExamined[0].second, FileRefusal::DanglingLink);
}

TEST_F(FolderSearchTest, SkipsAFolderThatCannotBeListed) {
    dir_.WriteText("a.doc", "x");
    dir_.WriteText("closed/b.doc", "x");
    dir_.WriteText("z.doc", "x");
    fs::permissions(dir_.Path(), fs::perms::all);
    fs::permissions(dir_.Path() / "closed", fs::perms::none);
    const std::optional<std::string> seen = testing::RunUnprivileged([&] {
        SearchSinkRecorder sink;
        const SearchProgress progress = SearchFolder(dir_.Path(), sink);
        std::string text = std::to_string(progress.foldersListed);
        for (const std::string& path : sink.NotExaminedPaths(dir_.Path())) {
            text += " " + path;
        }
        return text;
    });
    EXPECT_EQ(seen, "1 a.doc z.doc");
}

struct AccessTimeCase {
    const char* name;
    uid_t owner;           // of every file and folder searched
    bool unprivileged;     // the search runs as "nobody"
    bool keepsAccessTime;  // only an owner (or root) may read without renewing it
};

TEST_F(FolderSearchTest, ReadsWithoutRenewingAccessTimesWhereTheSystemAllows) {
    constexpr uid_t kNobody = 65534;
    constexpr time_t kLongAgo = 1'000'000'000;
    for (const AccessTimeCase& c :
         {AccessTimeCase{"root", 0, false, true}, AccessTimeCase{"owner", kNobody, true, true},
          AccessTimeCase{"not the owner", 0, true, false}}) {
        SCOPED_TRACE(c.name);
        const fs::path mountPoint = dir_.MakeDir(c.name);
        // Every read renews the access time on a strictatime mount.
        const testing::TestMount mounted =
            testing::TestMount::Tmpfs(mountPoint, MS_STRICTATIME, "mode=0777");
        if (!mounted.Mounted()) {
            GTEST_SKIP() << "cannot mount a tmpfs here";
        }
        fs::create_directory(mountPoint / "sub");
        testing::WriteBytes(mountPoint / "sub" / "marked.doc", kMarkedDocument);
        testing::WriteBytes(mountPoint / "plain.doc", kPlainDocument);
        const std::vector<fs::path> searched = {mountPoint, mountPoint / "sub",
                                                mountPoint / "sub" / "marked.doc",
                                                mountPoint / "plain.doc"};
        bool prepared = true;
        for (const fs::path& path : searched) {
            fs::permissions(path, fs::perms::all);
            const int owned = lchown(path.c_str(), c.owner, c.owner);
            const timespec times[2] = {{kLongAgo, 0}, {0, UTIME_OMIT}};
            const int dated = utimensat(AT_FDCWD, path.c_str(), times, 0);
            EXPECT_EQ(owned, 0) << path;
            EXPECT_EQ(dated, 0) << path;
            prepared = prepared && owned == 0 && dated == 0;
        }
        if (!prepared) {
            continue;
        }
        const auto search = [&] {
            SearchSinkRecorder sink;
            SearchFolder(mountPoint, sink);
            std::string rows;
            for (const std::string& row : sink.RowPaths(mountPoint)) {
                rows += row;
            }
            return rows;
        };
        const std::optional<std::string> rows =
            c.unprivileged ? testing::RunUnprivileged(search) : search();
        EXPECT_EQ(rows, "sub/marked.doc");
        for (const fs::path& path : searched) {
            struct stat status {};
            EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
            EXPECT_EQ(status.st_atim.tv_sec == kLongAgo, c.keepsAccessTime) << path;
        }
    }
}

TEST_F(FolderSearchTest, SaysWhyAFolderCouldNotBeListed) {
    fs::permissions(dir_.Path(), fs::perms::all);
    struct Case {
        const char* name;
        std::function<fs::path()> make;  // the folder to search
        std::string seen;                // relative to the test's folder
    };
    const std::vector<Case> cases = {
        {"no permission",
         [&] {
             fs::permissions(dir_.MakeDir("closed/shut"), fs::perms::none);
             return dir_.Path() / "closed";
         },
         "closed/shut:no-permission "},
        {"not there", [&] { return dir_.Path() / "missing"; }, "missing:gone "},
        {"not a folder", [&] { return dir_.WriteText("file", ""); }, "file:gone "},
        {"too many links",
         [&] {
             fs::path target = dir_.MakeDir("real");
             for (int i = 0; i <= 40; ++i) {
                 const fs::path link = dir_.Path() / ("link" + std::to_string(i));
                 fs::create_directory_symlink(target, link);
                 target = link;
             }
             return target;
         },
         "link40:too-many-links "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = c.make();
        const std::optional<std::string> seen = testing::RunUnprivileged([&] {
            SearchSinkRecorder sink;
            SearchFolder(folder, sink);
            std::string text;
            for (const auto& [path, reason] : sink.foldersNotListed) {
                text += path.lexically_relative(dir_.Path()).native() + ":" +
                        std::string(report::ReasonToken(reason)) + " ";
            }
            return text;
        });
        EXPECT_EQ(seen, c.seen);
    }
}

TEST_F(FolderSearchTest, FillsTheCellsOfAMarkedDocument) {
    const fs::path path = dir_.Write("机密\xFF.doc", kMarkedDocument);
    SetModificationTime(path, 1204679222);
    Search(dir_.Path());
    ASSERT_EQ(sink_.rows.size(), 1u);
    const ResultRow& row = sink_.rows[0];
    EXPECT_EQ(row.path, path);
    EXPECT_EQ(platform::PathText(row.path), (dir_.Path() / "机密\xEF\xBF\xBD.doc").native());
    EXPECT_EQ(report::SizeText(row.size), std::to_string(kMarkedDocument.size()));
    EXPECT_EQ(report::StampText(row.lastWriteTime), "2008-03-05 09:07:02");
    const time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    const std::string creation = report::StampText(row.creationTime);
    ASSERT_EQ(creation.size(), 19u);
    EXPECT_EQ(creation.substr(0, 4), std::to_string(local.tm_year + 1900));
}

TEST_F(FolderSearchTest, ShowsStampsBefore1900AsZeroAndUnconvertibleOnesAsNothing) {
    // tmpfs keeps stamps far outside ext4's range.
    if (!fs::is_directory("/dev/shm")) {
        GTEST_SKIP() << "no tmpfs at /dev/shm";
    }
    const std::unique_ptr<testing::TempDir> shm = TempDirUnder("/dev/shm");
    SetModificationTime(shm->Write("a-old.doc", kMarkedDocument), -2243548800);  // 1898
    SetModificationTime(shm->Write("b-far.doc", kMarkedDocument), 100'000'000'000'000'000);
    Search(shm->Path());
    ASSERT_EQ(sink_.rows.size(), 2u);
    EXPECT_EQ(report::StampText(sink_.rows[0].lastWriteTime), "1970-01-01 08:00:00");
    EXPECT_EQ(report::StampText(sink_.rows[1].lastWriteTime), "");
}

TEST_F(FolderSearchTest, StopsEarlyWhenAskedKeepingTheRowsFound) {
    for (const char* name : {"a.doc", "b.doc", "c/d.doc", "e.doc"}) {
        dir_.Write(name, kMarkedDocument);
    }
    sink_.stopAfterRows = 2;
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), (Paths{"a.doc", "b.doc"}));
    EXPECT_EQ(progress.documentsExamined, 2u);
}

TEST_F(FolderSearchTest, JoinsNamesToTheFolderWithOneSeparator) {
    dir_.Write("s/a.doc", kMarkedDocument);
    for (const char* spelling : {"/s/", "/s//", "/./s/.", "//s"}) {
        SCOPED_TRACE(spelling);
        sink_.rows.clear();
        Search(dir_.Path().native() + spelling);
        EXPECT_EQ(sink_.rows.size(), 1u);
        if (sink_.rows.size() != 1u) {
            continue;
        }
        EXPECT_EQ(sink_.rows[0].path.native(), dir_.Path().native() + "/s/a.doc");
    }
}

}  // namespace
}  // namespace kalvor::scan
