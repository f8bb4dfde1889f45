#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "results/kalvor_view.h"
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

const QString kReplacesListed = QStringLiteral("目标文件夹中的同名文件也在列表中，不会覆盖它");
const QString kChanged = QStringLiteral("搜索之后文件已被替换或修改");

class ListedFilesTest : public ::testing::Test {
  protected:
    // Starts a case in a folder of its own with an empty list and nothing recorded, then lists
    // one row per file, written with its own name as contents.
    void StartCase(const std::vector<std::string>& relatives) {
        root = temp.MakeDir("case" + std::to_string(++cases_));
        view.selectAll();
        view.OnRemoveFromList();
        desktop.warnings.clear();
        desktop.opened.clear();
        desktop.unopenable.clear();
        for (const std::string& relative : relatives) {
            view.AddResultRow(RowFor(Write(relative, relative)));
        }
        view.clearSelection();
    }

    fs::path Write(const std::string& relative, const std::string& text) {
        return temp.WriteText(root.filename() / relative, text);
    }

    std::string Read(const std::string& relative) const { return FileContents(root / relative); }

    void CopySelectionInto(const std::string& folder) {
        fs::create_directories(root / folder);
        desktop.folderAnswers = {FolderText(root / folder)};
        view.OnCommand(ID_COPY_TO);
    }

    // The text of the one warning shown, or "" when none was.
    QString Warning() const {
        EXPECT_LE(desktop.warnings.size(), 1U);
        return desktop.warnings.empty() ? QString() : desktop.warnings.back().text;
    }

    QString Line(const std::string& relative, const QString& reason) const {
        return FolderText(root / relative) + QStringLiteral("：") + reason;
    }

    TempDir temp;
    fs::path root;
    FakeDesktop desktop;
    CkalvorView view;

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
        for (const int row : c.selected) {
            testing::SelectRows(view, {row});
        }
        CopySelectionInto(c.folder);

        EXPECT_EQ(Read(c.folder + "/x.doc"), c.expectedThere);
        for (const std::string& relative : c.listed) {
            EXPECT_EQ(Read(relative), relative) << "a listed document";
        }
        QStringList lines;
        for (const int row : c.refused) {
            lines << Line(c.listed[static_cast<std::size_t>(row)], kReplacesListed);
        }
        EXPECT_EQ(Warning().section(u'\n', 1), lines.join(u'\n'));
        if (!c.refused.empty()) {
            EXPECT_EQ(testing::SelectedRows(view), c.refused);
        }
    }
}

TEST_F(ListedFilesTest, ActionsRefuseARowWhosePathNowLeadsToAnotherFile) {
    const std::vector<std::pair<const char*, std::function<void()>>> changes{
        {"file replaced",
         [this] { fs::rename(Write("d/x.doc.new", "d/x.doc"), root / "d/x.doc"); }},
        {"folder swapped for a link",
         [this] {
             Write("elsewhere/x.doc", "another document");
             fs::rename(root / "d", root / "d-moved");
             fs::create_directory_symlink(root / "elsewhere", root / "d");
         }},
        {"file written since", [this] { Write("d/x.doc", "d/x.doc written again"); }},
    };
    const std::vector<std::pair<unsigned, const char*>> actions{
        {ID_SHELL_OPEN, "以下 1 个文件未能打开："},
        {ID_COPY_TO, "以下 1 个文件未能复制："},
        {ID_DELETE_FILE, "以下 1 个文件未能删除："},
    };
    for (const auto& [change, make] : changes) {
        for (const auto& [action, heading] : actions) {
            SCOPED_TRACE(std::string(change) + ", command " + std::to_string(action));
            StartCase({"ok.doc", "d/x.doc"});
            make();
            const std::string before = Read("d/x.doc");
            view.selectAll();
            if (action == ID_COPY_TO) {
                CopySelectionInto("t");
                EXPECT_EQ(Read("t/ok.doc"), "ok.doc");
                EXPECT_FALSE(fs::exists(root / "t/x.doc"));
            } else {
                view.OnCommand(action);
            }

            EXPECT_EQ(Read("d/x.doc"), before);
            EXPECT_EQ(Warning(), QString::fromUtf8(heading) + u'\n' + Line("d/x.doc", kChanged));
            EXPECT_EQ(view.Results().RowAt(testing::SelectedRows(view).at(0)).path,
                      root / "d/x.doc");
            EXPECT_EQ(testing::SelectedRows(view).size(), 1U);
            if (action == ID_SHELL_OPEN) {
                EXPECT_EQ(desktop.opened, std::vector<fs::path>{root / "ok.doc"});
            }
        }
    }
}

TEST_F(ListedFilesTest, EveryActionNamesTheFilesThatFailedAndWhy) {
    struct Case {
        const char* name;
        unsigned command;
        std::function<void()> breakSecondRow;
        QString heading;  // of the warning about the second row, "" for no warning
        QString reason;
    };
    const std::vector<Case> cases{
        {"open, all fine", ID_SHELL_OPEN, [] {}, "", ""},
        {"open without a program", ID_SHELL_OPEN,
         [this] { desktop.unopenable = {root / "b/two.doc"}; }, "以下 1 个文件未能打开：",
         "没有可以打开它的程序"},
        {"open folder that is gone", ID_OPEN_FOLDER, [this] { fs::remove_all(root / "b"); },
         "以下 1 个文件所在的文件夹未能打开：", "所在文件夹已不存在"},
        {"copy of a file that is gone", ID_COPY_TO, [this] { fs::remove(root / "b/two.doc"); },
         "以下 1 个文件未能复制：", "文件已不存在或无法访问"},
        {"copy onto a folder of its name", ID_COPY_TO,
         [this] { fs::create_directories(root / "t/two.doc"); }, "以下 1 个文件未能复制：",
         "不是文件"},
        {"delete, all fine", ID_DELETE_FILE, [] {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StartCase({"a/one.doc", "b/two.doc"});
        fs::create_directories(root / "t");
        c.breakSecondRow();
        view.selectAll();
        desktop.folderAnswers = {FolderText(root / "t")};
        view.OnCommand(c.command);
        if (c.heading.isEmpty()) {
            EXPECT_EQ(Warning(), "");
            continue;
        }
        EXPECT_EQ(Warning(), c.heading + u'\n' + Line("b/two.doc", c.reason));
        EXPECT_EQ(testing::SelectedRows(view), std::vector<int>{1});
        EXPECT_EQ(desktop.warnings.back().parent, &view);
    }
}

}  // namespace
}  // namespace kalvor::results
