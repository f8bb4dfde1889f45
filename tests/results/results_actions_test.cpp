#include <gtest/gtest.h>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/results_model.h"
#include "results/warning_summary.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FakeDesktop;
using testing::FolderText;
using testing::RowFor;
using testing::TempDir;

class ResultActionsTest : public ::testing::Test {
  protected:
    // Lists one row per file, written with its own name as contents.
    void List(std::initializer_list<fs::path> relatives) {
        for (const fs::path& relative : relatives) {
            view.AddResultRow(RowFor(temp.WriteText(relative, relative.string())));
        }
    }

    void Select(std::initializer_list<int> rows) { testing::SelectRows(view, rows); }

    QStringList Column(int column) const { return testing::ColumnTexts(view.Results(), column); }

    std::vector<int> SelectedRows() const { return testing::SelectedRows(view); }

    TempDir temp;
    FakeDesktop desktop;
    CkalvorView view;
};

TEST_F(ResultActionsTest, ShellOpenOpensTheSelectedFilesTopToBottom) {
    List({"a.doc", "s/b.doc", "c.doc", "d.doc"});
    view.OnShellOpen();
    EXPECT_TRUE(desktop.opened.empty());

    Select({3, 1});
    view.OnCommand(ID_SHELL_OPEN);
    EXPECT_EQ(desktop.opened,
              (std::vector<fs::path>{temp.Path() / "s/b.doc", temp.Path() / "d.doc"}));
}

TEST_F(ResultActionsTest, OpenFolderOpensTheFolderOfEachSelectedRow) {
    List({"a.doc", "c.doc", "s/b.doc"});
    view.AddResultRow(RowFor("/top.doc"));
    Select({0, 1, 2, 3});
    view.OnCommand(ID_OPEN_FOLDER);
    EXPECT_EQ(desktop.opened,
              (std::vector<fs::path>{temp.Path(), temp.Path(), temp.Path() / "s", fs::path("/")}));
}

TEST_F(ResultActionsTest, CopyAsksForTheFolderFirstAndCopiesTheSelectionIntoIt) {
    List({"one/same.doc", "two/same.doc", "other.doc"});
    const fs::path target = temp.MakeDir("target");
    desktop.folderAnswers = {FolderText(target)};
    view.OnCommand(ID_COPY_TO);
    ASSERT_EQ(desktop.picks.size(), 1U);
    EXPECT_EQ(desktop.picks[0].title, "请选择文件保存路径");
    EXPECT_TRUE(desktop.picks[0].allowNewFolder);
    EXPECT_TRUE(fs::is_empty(target));

    Select({0, 1});
    desktop.folderAnswers = {FolderText(target)};
    view.OnCommand(ID_COPY_TO);
    EXPECT_EQ(testing::FileContents(target / "same.doc"), "two/same.doc");
    EXPECT_FALSE(fs::exists(target / "other.doc"));
    EXPECT_EQ(view.Results().rowCount(), 3);
}

TEST_F(ResultActionsTest, CancelledOrUnusableCopyFolderCopiesNothing) {
    List({"a.doc"});
    Select({0});
    for (const QString& answer : {QString(), QStringLiteral("x")}) {
        desktop.folderAnswers = {answer};
        view.OnCopyTo();
    }
    EXPECT_EQ(desktop.picks.size(), 2U);
    EXPECT_TRUE(fs::exists(temp.Path() / "a.doc"));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.Path()), fs::directory_iterator()), 1);
}

TEST_F(ResultActionsTest, CopyFindsAFileWhoseNameIsNotUtf8ThroughItsRow) {
    const fs::path odd = temp.WriteText("\xff\xfe.doc", "odd bytes");
    view.AddResultRow(RowFor(odd));
    const fs::path target = temp.MakeDir("target");
    Select({0});
    desktop.folderAnswers = {FolderText(target)};
    view.OnCopyTo();
    EXPECT_EQ(testing::FileContents(target / "\xff\xfe.doc"), "odd bytes");
}

TEST_F(ResultActionsTest, DeleteRemovesDeletedRowsAndKeepsFailuresSelected) {
    List({"a.doc", "b.doc", "c.doc", "d.doc", "e.doc"});
    // The middle file of the selection became a folder, which is never deleted.
    fs::remove(temp.Path() / "c.doc");
    temp.MakeDir("c.doc");
    Select({1, 2, 3});
    view.OnCommand(ID_DELETE_FILE);

    EXPECT_FALSE(fs::exists(temp.Path() / "b.doc"));
    EXPECT_FALSE(fs::exists(temp.Path() / "d.doc"));
    EXPECT_TRUE(fs::is_directory(temp.Path() / "c.doc"));
    EXPECT_TRUE(fs::exists(temp.Path() / "a.doc"));
    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(view.Results().RowAt(1).path, temp.Path() / "c.doc");
    EXPECT_EQ(view.Results().RowAt(2).path, temp.Path() / "e.doc");
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});
}

TEST_F(ResultActionsTest, DeletingTheSameFileTwiceKeepsTheSecondRow) {
    List({"a.doc"});
    view.AddResultRow(RowFor(temp.Path() / "a.doc"));
    Select({0, 1});
    view.OnDeleteFile();
    EXPECT_FALSE(fs::exists(temp.Path() / "a.doc"));
    EXPECT_EQ(Column(0), QStringList{"1"});
}

TEST_F(ResultActionsTest, RemoveFromListDropsTheSelectedRowsButNotTheFiles) {
    List({"a.doc", "b.doc", "c.doc", "d.doc", "e.doc"});
    Select({1, 3});
    view.OnCommand(ID_REMOVE_FROM_LIST);
    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(view.Results().RowAt(1).path, temp.Path() / "c.doc");
    EXPECT_TRUE(fs::exists(temp.Path() / "b.doc"));
    EXPECT_TRUE(fs::exists(temp.Path() / "d.doc"));

    view.selectAll();
    view.OnRemoveFromList();
    EXPECT_EQ(view.Results().rowCount(), 0);
    view.OnRightClick(QPoint(5, 5));
    EXPECT_TRUE(desktop.menus.empty());
}

// A warning about thousands of files stays as high as a screen, and a long list in it hides no
// other part.
TEST(WarningSummaryTest, KeepsTheHeadOfEveryParagraphWithinTheLines) {
    struct Case {
        std::vector<qsizetype> lines;  // of each paragraph, its heading among them
        std::vector<qsizetype> shown;  // of each, in a box 20 lines high
    };
    const std::vector<Case> cases{
        {{5}, {5}},         {{20}, {20}},           {{30}, {20}},
        {{30, 1}, {19, 1}}, {{3000, 40}, {10, 10}}, {{2, 300, 4}, {2, 14, 4}},
    };
    for (const Case& c : cases) {
        QStringList paragraphs;
        for (std::size_t index = 0; index < c.lines.size(); ++index) {
            QStringList lines;
            for (qsizetype line = 0; line < c.lines[index]; ++line) {
                lines << QStringLiteral("paragraph %1, line %2").arg(index).arg(line);
            }
            paragraphs << lines.join(u'\n');
        }
        const QString text = paragraphs.join(QStringLiteral("\n\n"));
        SCOPED_TRACE(text.left(200).toStdString());
        const QStringList summary = WarningSummary(text, 20).split(QStringLiteral("\n\n"));
        ASSERT_EQ(summary.size(), paragraphs.size());
        for (std::size_t index = 0; index < c.lines.size(); ++index) {
            const QStringList whole = paragraphs[static_cast<qsizetype>(index)].split(u'\n');
            const QStringList shown = summary[static_cast<qsizetype>(index)].split(u'\n');
            const bool cut = c.shown[index] < c.lines[index];
            ASSERT_EQ(shown.size(), c.shown[index] + (cut ? 1 : 0)) << "paragraph " << index;
            EXPECT_EQ(shown.mid(0, c.shown[index]), whole.mid(0, c.shown[index]));
            if (cut) {
                EXPECT_FALSE(whole.contains(shown.back())) << "points to the details";
            }
        }
    }
}

}  // namespace
}  // namespace kalvor::results
