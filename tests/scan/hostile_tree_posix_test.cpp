#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
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

const std::vector<std::uint8_t> kMarkedDocument = testing::WordDocumentWithText(u"绝密文件");

// Ends the test program when a walk hangs, rather than letting the suite wait for ever.
class Deadline {
  public:
    Deadline() { alarm(120); }
    ~Deadline() { alarm(0); }
    Deadline(const Deadline&) = delete;
    Deadline& operator=(const Deadline&) = delete;
};

class HostileTreeTest : public ::testing::Test {
  protected:
    SearchProgress Search(const fs::path& folder) { return SearchFolder(folder, sink_); }

    std::vector<std::pair<std::string, NotExaminedReason>> NotExamined() const {
        std::vector<std::pair<std::string, NotExaminedReason>> seen;
        for (const auto& [path, reason] : sink_.notExamined) {
            seen.emplace_back(path.lexically_relative(dir_.Path()).native(), reason);
        }
        return seen;
    }

    const Deadline deadline_;
    testing::TempDir dir_;
    SearchSinkRecorder sink_;
};

// What a search of `root` tells, paths relative to it: "-folder:reason " for each folder not
// listed, then "?path:reason " for each document not examined, then "path " for each row.
std::string SearchAccount(const fs::path& root, SearchProgress* progress = nullptr,
                          platform::IncludedAccess include = {}) {
    SearchSinkRecorder sink;
    const SearchProgress counts = SearchFolder(root, sink, {.include = include});
    if (progress != nullptr) {
        *progress = counts;
    }
    std::string text;
    for (const auto& [folder, reason] : sink.foldersNotListed) {
        text += "-" + folder.lexically_relative(root).native() + ":" +
                std::string(report::ReasonToken(reason)) + " ";
    }
    for (const auto& [path, reason] : sink.notExamined) {
        text += "?" + path.lexically_relative(root).native() + ":" +
                std::string(report::ReasonToken(reason)) + " ";
    }
    for (const std::string& path : sink.RowPaths(root)) {
        text += path + " ";
    }
    return text;
}

void MakeSocket(const fs::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.native().size(), sizeof(address.sun_path));
    std::strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
}

TEST_F(HostileTreeTest, PassesOverFifosSocketsAndDevicesWithoutOpeningThem) {
    ASSERT_EQ(mkfifo((dir_.Path() / "fifo.doc").c_str(), 0666), 0);
    MakeSocket(dir_.Path() / "socket.doc");
    // A node of the terminal device: opening it would make it the controlling terminal or block.
    const bool haveDevice =
        mknod((dir_.Path() / "tty.doc").c_str(), S_IFCHR | 0666, makedev(5, 0)) == 0;
    dir_.Write("marked.doc", kMarkedDocument);
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), Paths{"marked.doc"});
    std::vector<std::pair<std::string, NotExaminedReason>> expected = {
        {"fifo.doc", FileRefusal::NotRegularFile}, {"socket.doc", FileRefusal::NotRegularFile}};
    if (haveDevice) {
        expected.emplace_back("tty.doc", FileRefusal::NotRegularFile);
    }
    EXPECT_EQ(NotExamined(), expected);
    EXPECT_EQ(progress.documentsExamined, expected.size() + 1);
}

TEST_F(HostileTreeTest, GivesDanglingAndLoopingLinksAVerdict) {
    dir_.Write("real/marked.doc", kMarkedDocument);
    fs::create_symlink("nowhere.doc", dir_.Path() / "dangling.doc");
    fs::create_directory_symlink("no-folder", dir_.Path() / "dangling-folder");
    fs::create_symlink("loop-b.doc", dir_.Path() / "loop-a.doc");
    fs::create_symlink("loop-a.doc", dir_.Path() / "loop-b.doc");
    fs::create_directory_symlink(".", dir_.Path() / "real" / "self");
    fs::create_directory_symlink("..", dir_.Path() / "real" / "up");
    fs::create_directory_symlink("../real", dir_.Path() / "real" / "again");
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), Paths{"real/marked.doc"});
    const std::vector<std::pair<std::string, NotExaminedReason>> expected = {
        {"dangling.doc", FileRefusal::DanglingLink},
        {"loop-a.doc", FileRefusal::DanglingLink},
        {"loop-b.doc", FileRefusal::DanglingLink}};
    EXPECT_EQ(NotExamined(), expected);
    EXPECT_EQ(progress.foldersListed, 2u);
    EXPECT_TRUE(sink_.foldersNotListed.empty());
}

// `link`, leading to `target` through a chain of `links` links whose others lie in `chain`: the
// system follows at most 40 in one path.
void MakeLinkChain(const fs::path& link, const fs::path& chain, const fs::path& target, int links) {
    fs::create_directories(chain);
    fs::path previous = target;
    for (int i = 1; i < links; ++i) {
        const fs::path link = chain / std::to_string(i);
        fs::create_symlink(previous, link);
        previous = link;
    }
    fs::create_symlink(previous, link);
}

TEST_F(HostileTreeTest, ReportsALinkThatMayHideAFolderButCannotBeFollowed) {
    const fs::path marked = dir_.Write("outside/shut/inner/x.doc", kMarkedDocument);
    const fs::path inner = marked.parent_path();
    const fs::path open = dir_.MakeDir("outside/open");
    const fs::path chain = dir_.Path() / "outside" / "chain";
    fs::permissions(dir_.Path(), fs::perms::all);
    fs::permissions(dir_.Path() / "outside", fs::perms::all);
    // Only its owner may pass through: behind it, a link's target cannot even be looked at.
    fs::permissions(dir_.Path() / "outside" / "shut", fs::perms::owner_all);
    struct Case {
        const char* name;
        std::function<void(const fs::path& folder)> make;
        std::string seen;  // by a user who may not enter "shut"
    };
    const std::vector<Case> cases = {
        {"more than 40 links to a folder",
         [&](const fs::path& folder) { MakeLinkChain(folder / "deep", chain / "a", open, 41); },
         "-deep:too-many-links "},
        {"40 links to a folder",
         [&](const fs::path& folder) { MakeLinkChain(folder / "deep", chain / "b", open, 40); },
         ""},
        {"a link to a folder behind one we may not enter",
         [&](const fs::path& folder) { fs::create_directory_symlink(inner, folder / "behind"); },
         "-behind:no-permission "},
        {"a link to a document behind one we may not enter",
         [&](const fs::path& folder) { fs::create_symlink(marked, folder / "behind.doc"); },
         "?behind.doc:unreadable "},
        {"more than 40 links to a document",
         [&](const fs::path& folder) {
             MakeLinkChain(folder / "deep.doc", chain / "c", marked, 41);
         },
         "?deep.doc:dangling-link "},
        {"a link to nothing, which hides nothing",
         [&](const fs::path& folder) { fs::create_directory_symlink("nowhere", folder / "gone"); },
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = dir_.MakeDir(std::string("case ") + c.name);
        fs::permissions(folder, fs::perms::all);
        c.make(folder);
        const std::optional<std::string> seen =
            testing::RunUnprivileged([&] { return SearchAccount(folder); });
        EXPECT_EQ(seen, c.seen);
    }
}

// Folders n00..n{count-1} side by side, each holding links "a" and "b" to the next one, and the
// last holding a marked document and two links to the chosen folder. Followed blindly, the links
// make 2^count paths to that document.
void MakeDoublingLinks(const testing::TempDir& dir, int count) {
    const auto name = [](int i) {
        return "n" + std::string(i < 10 ? "0" : "") + std::to_string(i);
    };
    for (int i = 0; i + 1 < count; ++i) {
        dir.MakeDir(name(i));
        for (const char* link : {"a", "b"}) {
            fs::create_directory_symlink("../" + name(i + 1), dir.Path() / name(i) / link);
        }
    }
    dir.Write(name(count - 1) + "/x.doc", kMarkedDocument);
    for (const char* link : {"up1", "up2"}) {
        fs::create_directory_symlink("..", dir.Path() / name(count - 1) / link);
    }
}

TEST_F(HostileTreeTest, WalksEachFolderOnceByTheFirstPathThatReachesIt) {
    constexpr int kCount = 30;
    MakeDoublingLinks(dir_, kCount);
    sink_.stopAfterFolders = 10'000;
    const SearchProgress progress = Search(dir_.Path());
    // Every n is first reached through the links of the one before it, and not again as itself.
    EXPECT_EQ(progress.foldersListed, 1u + kCount);
    std::string throughLinks = "n00";
    for (int i = 1; i < kCount; ++i) {
        throughLinks += "/a";
    }
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), Paths{throughLinks + "/x.doc"});
}

// Two file systems number their entries alike: the root folders of two tmpfs mounts, and the
// first folders made in them, share inode numbers, and only the device tells them apart.
TEST_F(HostileTreeTest, TellsApartFoldersOfTwoFileSystemsThatShareInodeNumbers) {
    const std::vector<std::string> documents = {"x.doc", "sub/x.doc"};  // the same in both
    for (const std::string& document : documents) {
        SCOPED_TRACE(document);
        const testing::TempDir top;
        std::vector<testing::TestMount> mounts;
        for (const char* name : {"one", "two"}) {
            mounts.push_back(testing::TestMount::Tmpfs(top.MakeDir(name), 0, "mode=0755"));
            if (!mounts.back().Mounted()) {
                GTEST_SKIP() << "this system does not let the test mount: " << strerror(errno);
            }
            top.Write(fs::path(name) / document, kMarkedDocument);
        }
        SearchSinkRecorder sink;
        SearchFolder(top.Path(), sink);
        EXPECT_EQ(sink.RowPaths(top.Path()), (Paths{"one/" + document, "two/" + document}));
    }
}

// A chain of folders d/d/d/..., each level also reached through links "a", "b" and, in the
// bottom folder, "up" links to every level above.
TEST_F(HostileTreeTest, ListsADocumentOnceHoweverManyLinksLeadToItsFolder) {
    constexpr int kDepth = 60;
    fs::path folder = dir_.Path();
    std::vector<fs::path> levels = {folder};
    for (int level = 0; level < kDepth; ++level) {
        fs::create_directory(folder / "d");
        for (const char* link : {"a", "b"}) {
            fs::create_directory_symlink("d", folder / link);
        }
        folder /= "d";
        levels.push_back(folder);
    }
    for (std::size_t i = 0; i < levels.size(); ++i) {
        fs::create_directory_symlink(levels[i], folder / ("up" + std::to_string(i)));
    }
    dir_.Write(levels[kDepth / 2].lexically_relative(dir_.Path()) / "x.doc", kMarkedDocument);
    sink_.stopAfterFolders = 100'000;
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(progress.foldersListed, static_cast<std::uint64_t>(kDepth + 1));
    EXPECT_EQ(sink_.rows.size(), 1u);
    // Past 40 links a path no longer resolves; that path is reported once, and the folder is
    // walked by the next path that reaches it.
    EXPECT_EQ(sink_.foldersNotListed.size(), kDepth - 40u);
}

TEST_F(HostileTreeTest, FindsADocumentFiveHundredFoldersDown) {
    fs::path relative;
    for (int level = 0; level < 500; ++level) {
        relative /= "d";
    }
    dir_.Write(relative / "deep.doc", kMarkedDocument);
    const SearchProgress progress = Search(dir_.Path());
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), Paths{(relative / "deep.doc").native()});
    EXPECT_EQ(progress.foldersListed, 501u);
}

// Makes `levels` nested folders named `name` below `top` through descriptors, since their full
// path grows past what the system accepts; and removes them again the same way.
class TreeBeyondPathMax {
  public:
    TreeBeyondPathMax(const fs::path& top, const std::string& name, int levels)
        : top_(top), name_(name), levels_(levels) {
        int fd = open(top.c_str(), O_RDONLY | O_DIRECTORY);
        for (int level = 0; level < levels && fd >= 0; ++level) {
            mkdirat(fd, name.c_str(), 0755);
            const int inner = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
            close(fd);
            fd = inner;
        }
        EXPECT_GE(fd, 0);
        close(fd);
    }
    ~TreeBeyondPathMax() { RemoveBelow(open(top_.c_str(), O_RDONLY | O_DIRECTORY), levels_); }
    TreeBeyondPathMax(const TreeBeyondPathMax&) = delete;
    TreeBeyondPathMax& operator=(const TreeBeyondPathMax&) = delete;

  private:
    void RemoveBelow(int fd, int levels) {
        if (levels > 0) {
            RemoveBelow(openat(fd, name_.c_str(), O_RDONLY | O_DIRECTORY), levels - 1);
            unlinkat(fd, name_.c_str(), AT_REMOVEDIR);
        }
        close(fd);
    }

    fs::path top_;
    std::string name_;
    int levels_;
};

TEST_F(HostileTreeTest, ReportsTheFolderWhosePathGrowsTooLongAndGoesOn) {
    // One-letter names: the deepest tree the system lets a walk reach.
    const std::string name(1, 'p');
    const int levels = PATH_MAX / static_cast<int>(name.size() + 1) + 10;
    const TreeBeyondPathMax tree(dir_.Path(), name, levels);
    dir_.Write("z.doc", kMarkedDocument);
    const SearchProgress progress = Search(dir_.Path());
    ASSERT_EQ(sink_.foldersNotListed.size(), 1u);
    EXPECT_GE(sink_.foldersNotListed[0].first.native().size(), static_cast<std::size_t>(PATH_MAX));
    EXPECT_EQ(sink_.foldersNotListed[0].second, FolderNotListedReason::PathTooLong);
    EXPECT_EQ(sink_.RowPaths(dir_.Path()), Paths{"z.doc"});
    EXPECT_LT(progress.foldersListed, static_cast<std::uint64_t>(levels));
}

TEST_F(HostileTreeTest, KeepsTheExactBytesOfNamesThatAreNotUtf8) {
    // All three show as "�.doc", listed in this order; each row must still name its own file.
    const std::vector<std::string> names = {"\xfe.doc", "\xff.doc", "\xef\xbf\xbd.doc"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        dir_.Write(names[i],
                   testing::WordDocumentWithText(u"绝密" + std::u16string(i * 300, u'x')));
    }
    Search(dir_.Path());
    ASSERT_EQ(sink_.rows.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const ResultRow& row = sink_.rows[i];
        EXPECT_EQ(row.path, dir_.Path() / names[i]);
        EXPECT_EQ(platform::PathText(row.path), (dir_.Path() / "\xef\xbf\xbd.doc").native());
        EXPECT_EQ(report::SizeText(row.size), std::to_string(fs::file_size(row.path)));
    }
}

TEST_F(HostileTreeTest, ReportsEachFolderThatCannotBeListedAndSearchesTheRest) {
    dir_.Write("a.doc", kMarkedDocument);
    dir_.Write("closed/b.doc", kMarkedDocument);
    dir_.Write("open/shut/c.doc", kMarkedDocument);
    dir_.Write("open/d.doc", kMarkedDocument);
    dir_.Write("peek/e.doc", kMarkedDocument);
    dir_.Write("peek/inner/f.doc", kMarkedDocument);
    fs::permissions(dir_.Path(), fs::perms::all);
    fs::permissions(dir_.Path() / "open", fs::perms::all);
    fs::permissions(dir_.Path() / "closed", fs::perms::none);
    fs::permissions(dir_.Path() / "open" / "shut", fs::perms::others_exec);
    // Readable but not enterable: its names are known, nothing about them.
    fs::permissions(dir_.Path() / "peek", fs::perms::others_read);
    fs::permissions(dir_.Path() / "a.doc", fs::perms::all);
    fs::permissions(dir_.Path() / "open" / "d.doc", fs::perms::all);
    const std::optional<std::string> seen =
        testing::RunUnprivileged([&] { return SearchAccount(dir_.Path()); });
    EXPECT_EQ(seen,
              "-closed:no-permission -open/shut:no-permission -peek/inner:no-permission "
              "?peek/e.doc:unreadable a.doc open/d.doc ");
}

TEST_F(HostileTreeTest, AReadOnlyViewOfAFolderDoesNotHideItsWritablePath) {
    dir_.Write("real/inner/secret.doc", kMarkedDocument);
    // Back to the chosen folder and to real itself from either view: loops must still end.
    fs::create_directory_symlink("..", dir_.Path() / "real" / "up");
    fs::create_directory_symlink(".", dir_.Path() / "real" / "self");
    struct Case {
        const char* name;  // of the second view of real; "real" sorts between them
        bool readOnly;
        const char* link;  // a link to inner through the view, beside it, or none
        std::string seen;
        std::uint64_t foldersListed;
        // Read-only documents examined: then the view that comes first hides nothing.
        bool includeReadOnly = false;
    };
    const std::vector<Case> cases = {
        {"0ro", true, nullptr, "?0ro/inner/secret.doc:read-only real/inner/secret.doc ", 5},
        {"zro", true, nullptr, "real/inner/secret.doc ", 3},
        {"zro", true, "0link", "?0link/secret.doc:read-only real/inner/secret.doc ", 4},
        {"0rw", false, nullptr, "0rw/inner/secret.doc ", 3},
        {"0ro", true, nullptr, "0ro/inner/secret.doc ", 3, true},
        {"zro", true, "0link", "0link/secret.doc ", 3, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + (c.link != nullptr ? " and a link to it" : ""));
        const fs::path view = dir_.MakeDir(c.name);
        if (c.link != nullptr) {
            fs::create_directory_symlink(fs::path(c.name) / "inner", dir_.Path() / c.link);
        }
        {
            const testing::TestMount bind =
                testing::TestMount::Bind(dir_.Path() / "real", view, c.readOnly);
            if (!bind.Mounted()) {
                GTEST_SKIP() << "this system does not let the test mount: " << strerror(errno);
            }
            SearchProgress progress;
            EXPECT_EQ(SearchAccount(dir_.Path(), &progress, {.readOnly = c.includeReadOnly}),
                      c.seen);
            EXPECT_EQ(progress.foldersListed, c.foldersListed);
        }
        fs::remove(view);
        if (c.link != nullptr) {
            fs::remove(dir_.Path() / c.link);
        }
    }
}

}  // namespace
}  // namespace kalvor::scan
