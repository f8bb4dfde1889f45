#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "results/file_actions.h"
#include "results/result_actions.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FileContents;
using testing::TempDir;

std::vector<std::string> Names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().native());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs `work` in a child process that may write at most `limit` bytes into any one file. With
// `dieAtLimit` the child is killed when it tries to write more, as an interrupted copy is; else
// the write fails. Returns how the child ended: its exit status, or 128 + the signal.
int RunWithFileSizeLimit(rlim_t limit, bool dieAtLimit, const std::function<bool()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit cap{limit, limit};
        signal(SIGXFSZ, dieAtLimit ? SIG_DFL : SIG_IGN);
        _exit(setrlimit(RLIMIT_FSIZE, &cap) == 0 && work() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
}

class FileSafetyTest : public ::testing::Test {
  protected:
    TempDir temp;
    const std::string big = std::string(300'000, 'n') + "end";
    fs::path source = temp.WriteText("src/report.doc", big);
    fs::path target = temp.MakeDir("target");
};

TEST_F(FileSafetyTest, AFailedOrInterruptedCopyLeavesTheOldFileAndNothingElse) {
    temp.WriteText("target/report.doc", "the copy made last week");
    EXPECT_EQ(
        RunWithFileSizeLimit(64 * 1024, false, [&] { return CopyIntoFolder(source, target); }), 1);
    EXPECT_EQ(RunWithFileSizeLimit(64 * 1024, true, [&] { return CopyIntoFolder(source, target); }),
              128 + SIGXFSZ);
    EXPECT_EQ(Names(target), std::vector<std::string>{"report.doc"});
    EXPECT_EQ(FileContents(target / "report.doc"), "the copy made last week");
    ASSERT_TRUE(CopyIntoFolder(source, target));
    EXPECT_EQ(FileContents(target / "report.doc"), big);
}

TEST_F(FileSafetyTest, CopyReplacesALinkInTheFolderAndNeverWritesThroughIt) {
    const fs::path elsewhere = temp.WriteText("elsewhere/kept.doc", "not to be touched");
    fs::create_symlink(elsewhere, target / "report.doc");
    ASSERT_TRUE(CopyIntoFolder(source, target));
    EXPECT_FALSE(fs::is_symlink(target / "report.doc"));
    EXPECT_EQ(FileContents(target / "report.doc"), big);
    EXPECT_EQ(FileContents(elsewhere), "not to be touched");
}

TEST_F(FileSafetyTest, CopyOntoItselfThroughAnotherSpellingLeavesTheFileIntact) {
    fs::create_directory_symlink(source.parent_path(), temp.Path() / "same-folder");
    for (const fs::path& folder : {temp.Path() / "same-folder", temp.Path() / "src" / "." / ""}) {
        SCOPED_TRACE(folder.native());
        EXPECT_TRUE(CopyIntoFolder(source, folder));
        EXPECT_EQ(FileContents(source), big);
        EXPECT_EQ(Names(source.parent_path()), std::vector<std::string>{"report.doc"});
    }
}

TEST_F(FileSafetyTest, CopyTakesOnlyTheLastElementOfAPathThatNamesAFile) {
    for (const fs::path& odd : {source / "..", source.parent_path() / ".", fs::path("/")}) {
        SCOPED_TRACE(odd.native());
        EXPECT_FALSE(CopyIntoFolder(odd, target));
    }
    EXPECT_TRUE(fs::is_empty(target));
    EXPECT_EQ(Names(temp.Path()), (std::vector<std::string>{"src", "target"}));
}

class FileSafetyActionsTest : public FileSafetyTest {
  protected:
    testing::FakeDesktop desktop;
    ResultsModel list;
    const ResultActions actions{nullptr};
};

TEST_F(FileSafetyActionsTest, ActsOnExactlyTheFileOfEachRowWhateverItsNameShows) {
    const std::vector<std::string> names = {"\xfe.doc", "\xff.doc", "\xef\xbf\xbd.doc"};
    for (const std::string& name : names) {
        list.AppendRow(testing::RowFor(temp.WriteText("odd/" + name, name)));
    }
    const std::vector<SelectedRow> second = testing::SelectionOf(list, {1});
    actions.CopyFiles(second, target, list.ListedIdentities());
    EXPECT_EQ(Names(target), std::vector<std::string>{"\xff.doc"});
    EXPECT_EQ(FileContents(target / "\xff.doc"), "\xff.doc");

    EXPECT_EQ(actions.DeleteFiles(second).removed, std::vector<int>{1});
    EXPECT_EQ(Names(temp.Path() / "odd"),
              (std::vector<std::string>{"\xef\xbf\xbd.doc", "\xfe.doc"}));
}

TEST_F(FileSafetyActionsTest, CopyGoesOnAfterARowThatFails) {
    for (const char* name : {"a.doc", "gone.doc", "c.doc"}) {
        list.AppendRow(testing::RowFor(temp.WriteText(name, name)));
    }
    fs::remove(temp.Path() / "gone.doc");
    actions.CopyFiles(testing::WholeList(list), target, list.ListedIdentities());
    EXPECT_EQ(Names(target), (std::vector<std::string>{"a.doc", "c.doc"}));
    EXPECT_EQ(FileContents(target / "c.doc"), "c.doc");
}

}  // namespace
}  // namespace kalvor::results
