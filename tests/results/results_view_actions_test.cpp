// The view hands its selection to its actions and carries out what they return: these go through
// the view's commands; what each action does with the files is tested on ResultActions itself.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FakeDesktop;
using testing::FolderText;
using testing::RowFor;
using testing::TempDir;

class ViewActionsTest : public ::testing::Test {
  protected:
    // Lists one row per file, written with its own name as contents.
    void List(std::initializer_list<fs::path> relatives) {
        for (const scan::ResultRow& row : testing::WrittenRows(temp, relatives)) {
            view.AddResultRow(row);
        }
    }

    void Select(std::initializer_list<int> rows) { testing::SelectRows(view, rows); }

    QStringList Column(int column) const { return testing::ColumnTexts(view.Results(), column); }

    std::vector<int> SelectedRows() const { return testing::SelectedRows(view); }

    TempDir temp;
    FakeDesktop desktop;
    CkalvorView view;
};

TEST_F(ViewActionsTest, ShellOpenOpensTheSelectedFilesTopToBottom) {
    List({"a.doc", "s/b.doc", "c.doc", "d.doc"});
    view.OnShellOpen();
    EXPECT_TRUE(desktop.opened.empty());

    Select({3, 1});
    view.OnCommand(ID_SHELL_OPEN);
    EXPECT_EQ(desktop.opened,
              (std::vector<fs::path>{temp.Path() / "s/b.doc", temp.Path() / "d.doc"}));
}

TEST_F(ViewActionsTest, CopyAsksForTheFolderFirstAndCopiesTheSelectionIntoIt) {
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

TEST_F(ViewActionsTest, CancelledOrUnusableCopyFolderCopiesNothing) {
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

TEST_F(ViewActionsTest, DeleteRemovesDeletedRowsAndKeepsFailuresSelected) {
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

TEST_F(ViewActionsTest, RemoveFromListDropsTheSelectedRowsButNotTheFiles) {
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

TEST_F(ViewActionsTest, EveryActionNamesTheFilesThatFailedAndWhy) {
    struct Case {
        const char* name;
        unsigned command;
        std::function<void(const fs::path& root)> breakSecondRow;
        QString heading;  // of the warning about the second row, "" for no warning
        QString reason;
    };
    const std::vector<Case> cases{
        {"open, all fine", ID_SHELL_OPEN, [](const fs::path&) {}, "", ""},
        {"open without a program", ID_SHELL_OPEN,
         [this](const fs::path& root) { desktop.unopenable = {root / "b/two.doc"}; },
         "以下 1 个文件未能打开：", "没有可以打开它的程序"},
        {"open folder that is gone", ID_OPEN_FOLDER,
         [](const fs::path& root) { fs::remove_all(root / "b"); },
         "以下 1 个文件所在的文件夹未能打开：", "文件夹不存在或无法访问"},
        {"copy of a file that is gone", ID_COPY_TO,
         [](const fs::path& root) { fs::remove(root / "b/two.doc"); }, "以下 1 个文件未能复制：",
         "文件已不存在或无法访问"},
        {"copy onto a folder of its name", ID_COPY_TO,
         [](const fs::path& root) { fs::create_directories(root / "t/two.doc"); },
         "以下 1 个文件未能复制：", "不是文件"},
        {"delete, all fine", ID_DELETE_FILE, [](const fs::path&) {}, "", ""},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path root = temp.MakeDir("case" + std::to_string(++number));
        view.selectAll();
        view.OnRemoveFromList();
        desktop.warnings.clear();
        desktop.unopenable.clear();
        List({root.filename() / "a/one.doc", root.filename() / "b/two.doc"});
        fs::create_directories(root / "t");
        c.breakSecondRow(root);
        view.selectAll();
        desktop.folderAnswers = {FolderText(root / "t")};
        view.OnCommand(c.command);
        if (c.heading.isEmpty()) {
            EXPECT_TRUE(desktop.warnings.empty());
            continue;
        }
        EXPECT_EQ(desktop.warnings.size(), 1U);
        if (desktop.warnings.empty()) {
            continue;
        }
        EXPECT_EQ(desktop.warnings.back().text, c.heading + u'\n' + FolderText(root / "b/two.doc") +
                                                    QStringLiteral("：") + c.reason);
        EXPECT_EQ(SelectedRows(), std::vector<int>{1});
        EXPECT_EQ(desktop.warnings.back().parent, &view);
    }
}

}  // namespace
}  // namespace kalvor::results
