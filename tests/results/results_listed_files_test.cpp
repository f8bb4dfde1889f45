#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "results/result_actions.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FakeDesktop;
using testing::FileContents;
using testing::FolderText;
using testing::RowFor;
using testing::TempDir;
using testing::WholeList;

const QString kReplacesListed = QStringLiteral("目标文件夹中的同名文件也在列表中，不会覆盖它");
const QString kChanged = QStringLiteral("搜索之后文件已被修改");
const QString kReplaced = QStringLiteral("搜索之后该路径已指向另一个文件");
const QString kGone = QStringLiteral("文件已不存在或无法访问");
const QString kFolderGone = QStringLiteral("文件夹不存在或无法访问");
const QString kFolderReplaced = QStringLiteral("搜索之后该文件夹已被另一个取代");

std::size_t Index(int row) {
    return static_cast<std::size_t>(row);
}

class ListedFilesTest : public ::testing::Test {
  protected:
    // Starts a case in a folder of its own with an empty list and nothing recorded, then lists
    // one row per file, written with its own name as contents.
    void StartCase(const std::vector<std::string>& relatives) {
        root = temp.MakeDir("case" + std::to_string(++cases_));
        list.Clear();
        desktop.opened.clear();
        for (const std::string& relative : relatives) {
            list.AppendRow(RowFor(Write(relative, relative)));
        }
    }

    fs::path Write(const std::string& relative, const std::string& text) {
        return temp.WriteText(root.filename() / relative, text);
    }

    std::string Read(const std::string& relative) const { return FileContents(root / relative); }

    ActionOutcome CopyInto(const std::vector<SelectedRow>& selection, const std::string& folder) {
        fs::create_directories(root / folder);
        return actions.CopyFiles(selection, root / folder, list.ListedIdentities());
    }

    QString Line(const std::string& relative, const QString& reason) const {
        return FolderText(root / relative) + QStringLiteral("：") + reason;
    }

    // Puts a link to another folder, which holds another x.doc, in the place of d.
    void SwapFolderForLink() {
        Write("elsewhere/x.doc", "another document");
        fs::rename(root / "d", root / "d-moved");
        fs::create_directory_symlink(root / "elsewhere", root / "d");
    }

    // A change made after the search to the second of the rows "ok.doc" and "d/x.doc", and why an
    // action refuses that row then, "" when it goes ahead.
    struct RowChange {
        const char* name;
        std::function<void()> make;
        QString reason;
    };

    using Open = ActionOutcome (ResultActions::*)(const std::vector<SelectedRow>&) const;

    // Runs `open`, which opens what `opens` makes of each row's path, on both rows after each
    // change; a refusal opens only the first and names the second under `heading`.
    void ExpectOpenings(const std::vector<RowChange>& changes, Open open,
                        const std::function<fs::path(const fs::path&)>& opens,
                        const QString& heading) {
        for (const RowChange& change : changes) {
            SCOPED_TRACE(change.name);
            StartCase({"ok.doc", "d/x.doc"});
            const std::vector<fs::path> opened{opens(root / "ok.doc"), opens(root / "d/x.doc")};
            change.make();
            const ActionOutcome outcome = (actions.*open)(WholeList(list));
            if (change.reason.isEmpty()) {
                EXPECT_EQ(desktop.opened, opened);
                EXPECT_EQ(outcome.warning, "");
                continue;
            }
            EXPECT_EQ(desktop.opened, std::vector<fs::path>{opened.front()});
            EXPECT_EQ(outcome.warning, heading + u'\n' + Line("d/x.doc", change.reason));
            EXPECT_EQ(outcome.selected, std::vector<int>{1});
        }
    }

    TempDir temp;
    fs::path root;
    FakeDesktop desktop;
    ResultsModel list;
    const ResultActions actions{nullptr};

  private:
    int cases_ = 0;
};

TEST_F(ListedFilesTest, CopyOfSameNamedRowsNeverReplacesAListedDocument) {
    struct Case {
        const char* name;
        std::vector<std::string> listed;
        std::vector<int> selected;
        std::string folder;
        std::string expectedThere;  // what folder/x.doc holds afterwards
        std::vector<int> refused;   // rows named in the warning, and left selected
    };
    const std::vector<Case> cases{
        {"lower row wins elsewhere", {"a/x.doc", "c/x.doc"}, {0, 1}, "t", "c/x.doc", {}},
        {"upper row into the lower's folder", {"a/x.doc", "b/x.doc"}, {0, 1}, "b", "b/x.doc", {0}},
        {"lower row into the upper's folder", {"b/x.doc", "a/x.doc"}, {0, 1}, "b", "b/x.doc", {1}},
        {"into its own folder", {"a/x.doc"}, {0}, "a", "a/x.doc", {}},
        {"onto a listed row not selected", {"a/x.doc", "t/x.doc"}, {0}, "t", "t/x.doc", {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartCase(c.listed);
        const ActionOutcome outcome = CopyInto(testing::SelectionOf(list, c.selected), c.folder);

        EXPECT_EQ(Read(c.folder + "/x.doc"), c.expectedThere);
        for (const std::string& relative : c.listed) {
            EXPECT_EQ(Read(relative), relative) << "a listed document";
        }
        QStringList lines;
        for (const int row : c.refused) {
            lines << Line(c.listed[static_cast<std::size_t>(row)], kReplacesListed);
        }
        // A row that a lower one of its name superseded is named too, but not as refused.
        if (c.refused.empty()) {
            EXPECT_FALSE(outcome.warning.contains(kReplacesListed));
        } else {
            EXPECT_EQ(outcome.warning.section(u'\n', 1), lines.join(u'\n'));
            EXPECT_EQ(outcome.selected, c.refused);
        }
    }
}

// Of selected files that share a name, the folder gets the lowest row's; the message names every
// other one and the row that took its place.
TEST_F(ListedFilesTest, CopyNamesTheFilesThatALowerSelectedFileOfTheSameNameTookThePlaceOf) {
    struct Case {
        const char* name;
        std::vector<std::string> listed;              // all selected
        std::function<void()> change;                 // after listing
        std::string expectedThere;                    // what t/x.doc holds afterwards
        std::vector<std::pair<int, int>> superseded;  // row, and the row that took its place
        std::vector<int> gone;                        // rows whose files were deleted
    };
    const std::vector<Case> cases{
        {"two", {"a/x.doc", "b/x.doc"}, [] {}, "b/x.doc", {{0, 1}}, {}},
        {"three among others",
         {"a/x.doc", "y.doc", "b/x.doc", "z.doc", "c/x.doc"},
         [] {},
         "c/x.doc",
         {{0, 4}, {2, 4}},
         {}},
        {"the lowest gone",
         {"a/x.doc", "b/x.doc", "c/x.doc"},
         [this] { fs::remove(root / "c/x.doc"); },
         "b/x.doc",
         {{0, 1}},
         {2}},
        {"one file under two names",
         {"a/x.doc"},
         [this] {
             fs::create_directories(root / "b");
             fs::create_hard_link(root / "a/x.doc", root / "b/x.doc");
             list.AppendRow(RowFor(root / "b/x.doc"));
         },
         "a/x.doc",
         {},
         {}},
        {"no two alike", {"a/x.doc", "y.doc"}, [] {}, "a/x.doc", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartCase(c.listed);
        c.change();
        const ActionOutcome outcome = CopyInto(WholeList(list), "t");

        EXPECT_EQ(Read("t/x.doc"), c.expectedThere);
        QStringList paragraphs;
        std::vector<int> notCopied = c.gone;
        for (const int row : c.gone) {
            paragraphs << "以下 1 个文件未能复制：\n" + Line(c.listed.at(Index(row)), kGone);
        }
        if (!c.superseded.empty()) {
            QStringList lines{
                QStringLiteral("以下 %1 个文件没有复制，因为下方选中的同名文件取代了它们：")
                    .arg(c.superseded.size())};
            for (const auto& [row, by] : c.superseded) {
                lines << Line(c.listed.at(Index(row)),
                              QStringLiteral("由第 %1 行的同名文件取代").arg(by + 1));
                notCopied.push_back(row);
            }
            paragraphs << lines.join(u'\n');
        }
        EXPECT_EQ(outcome.warning, paragraphs.join("\n\n"));
        if (!notCopied.empty()) {
            std::sort(notCopied.begin(), notCopied.end());
            EXPECT_EQ(outcome.selected, notCopied);
        }
    }
}

TEST_F(ListedFilesTest, CopyAndDeleteRefuseARowWhoseFileIsNotTheOneListedAsItWas) {
    const std::vector<RowChange> changes{
        {"file replaced", [this] { fs::rename(Write("d/x.doc.new", "d/x.doc"), root / "d/x.doc"); },
         kReplaced},
        {"folder swapped for a link", [this] { SwapFolderForLink(); }, kReplaced},
        {"file written since", [this] { Write("d/x.doc", "d/x.doc written again"); }, kChanged},
        {"file written since at the same size",
         [this] {
             Write("d/x.doc", "D/X.DOC");
             fs::last_write_time(root / "d/x.doc",
                                 fs::last_write_time(root / "d/x.doc") + std::chrono::minutes(1));
         },
         kChanged},
    };
    // Whether the action copies, and the heading of its warning.
    const std::vector<std::pair<bool, const char*>> copyOrDelete{
        {true, "以下 1 个文件未能复制："},
        {false, "以下 1 个文件未能删除："},
    };
    for (const RowChange& change : changes) {
        for (const auto& [copies, heading] : copyOrDelete) {
            SCOPED_TRACE(std::string(change.name) + (copies ? ", copy" : ", delete"));
            StartCase({"ok.doc", "d/x.doc"});
            change.make();
            const std::string before = Read("d/x.doc");
            ActionOutcome outcome;
            if (copies) {
                outcome = CopyInto(WholeList(list), "t");
                EXPECT_EQ(Read("t/ok.doc"), "ok.doc");
                EXPECT_FALSE(fs::exists(root / "t/x.doc"));
            } else {
                outcome = actions.DeleteFiles(WholeList(list));
            }

            EXPECT_EQ(Read("d/x.doc"), before);
            EXPECT_EQ(outcome.warning,
                      QString::fromUtf8(heading) + u'\n' + Line("d/x.doc", change.reason));
            EXPECT_EQ(testing::FilesLeftSelected(list, outcome),
                      std::vector<fs::path>{root / "d/x.doc"});
        }
    }
}

// The document's program finds it by its path: one the user edited since the search is still
// the listed document, and opens.
TEST_F(ListedFilesTest, OpenRefusesOnlyARowWhosePathLeadsToAnotherFileOrToNothing) {
    ExpectOpenings(
        {
            {"untouched", [] {}, ""},
            {"written since", [this] { Write("d/x.doc", "d/x.doc edited and saved again"); }, ""},
            {"replaced", [this] { fs::rename(Write("d/x.doc.new", "new"), root / "d/x.doc"); },
             kReplaced},
            {"folder swapped for a link", [this] { SwapFolderForLink(); }, kReplaced},
            {"deleted", [this] { fs::remove(root / "d/x.doc"); }, kGone},
        },
        &ResultActions::OpenFiles, [](const fs::path& file) { return file; },
        "以下 1 个文件未能打开：");
}

// The folder is known by its own identity, so it opens after its document left it, and another
// folder under its name does not.
TEST_F(ListedFilesTest, OpenFolderRefusesAFolderThatIsNotTheOneSearched) {
    ExpectOpenings(
        {
            {"untouched", [] {}, ""},
            {"document deleted", [this] { fs::remove(root / "d/x.doc"); }, ""},
            {"document replaced",
             [this] { fs::rename(Write("d/x.doc.new", "new"), root / "d/x.doc"); }, ""},
            {"folder moved and linked back",
             [this] {
                 fs::rename(root / "d", root / "d-moved");
                 fs::create_directory_symlink(root / "d-moved", root / "d");
             },
             ""},
            {"folder made anew",
             [this] {
                 fs::rename(root / "d", root / "d-moved");
                 Write("d/x.doc", "d/x.doc");
             },
             kFolderReplaced},
            {"folder swapped for a link elsewhere", [this] { SwapFolderForLink(); },
             kFolderReplaced},
            {"folder now a file",
             [this] {
                 fs::rename(root / "d", root / "d-moved");
                 Write("d", "a file by the folder's name");
             },
             kFolderReplaced},
            {"folder gone", [this] { fs::remove_all(root / "d"); }, kFolderGone},
        },
        &ResultActions::OpenFolders, [](const fs::path& file) { return file.parent_path(); },
        "以下 1 个文件所在的文件夹未能打开：");
}

}  // namespace
}  // namespace kalvor::results
