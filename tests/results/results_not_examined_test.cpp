#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTableWidget>
#include <QTest>
#include <filesystem>
#include <functional>

#include "report/reason_texts.h"
#include "results/not_examined_dialog.h"
#include "results/not_examined_indicator.h"
#include "results/path_text.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using scan::FolderNotListedReason;
using scan::NotExaminedReason;

TEST(NotExaminedIndicatorTest, TellsTheCountAndListsEachEntryWithItsReason) {
    QWidget window;
    NotExaminedIndicator indicator(&window);
    window.show();
    EXPECT_FALSE(indicator.isVisible());

    indicator.ShowReport({{"/d/locked.doc", scan::FileRefusal::Locked},
                          {"/d/closed", FolderNotListedReason::NoPermission},
                          {"/d/\xff.doc", cfb::StreamReadResult::NotCompoundFile}});
    EXPECT_TRUE(indicator.isVisible());
    EXPECT_EQ(indicator.text(), "2 个 .doc 文件未能检查，1 个文件夹未能搜索");

    QTest::mouseClick(&indicator, Qt::LeftButton);
    auto* dialog = window.findChild<NotExaminedDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const QTableWidget& table = dialog->Table();
    ASSERT_EQ(table.rowCount(), 3);
    EXPECT_EQ(table.item(0, 0)->text(), "/d/locked.doc");
    EXPECT_EQ(table.item(0, 1)->text(),
              QString::fromUtf8(report::ReasonDescription(scan::FileRefusal::Locked)));
    EXPECT_EQ(table.item(1, 0)->text(), "/d/closed");
    EXPECT_EQ(table.item(1, 1)->text(), "无法列出文件夹（没有权限），其下内容均未搜索");
    EXPECT_EQ(table.item(2, 0)->text(), QString::fromUtf8("/d/\xef\xbf\xbd.doc"));
    EXPECT_EQ(table.item(2, 1)->text(),
              QString::fromUtf8(report::ReasonDescription(cfb::StreamReadResult::NotCompoundFile)));
    EXPECT_FALSE(table.item(2, 1)->text().isEmpty());
}

TEST(NotExaminedIndicatorTest, NamesFoldersOnlyWhenSomeWereNotListed) {
    struct Case {
        const char* name;
        std::vector<NotExaminedFile> entries;
        scan::DocumentTypes types;  // searched for
        QString indicatorText;
        QString dialogTitle;
        QString pathHeader;
    };
    const std::vector<Case> cases{
        {"documents",
         {{"/d/a.doc", scan::FileRefusal::ReadOnly},
          {"/d/b.doc", scan::WordStreamRefusal::TooShort}},
         {},
         "2 个 .doc 文件未能检查",
         "未能检查的 .doc 文件",
         "文件"},
        {"folders",
         {{"/d/x", FolderNotListedReason::NoPermission}, {"/d/y", FolderNotListedReason::Gone}},
         {},
         "2 个文件夹未能搜索",
         "未能检查的 .doc 文件和文件夹",
         "文件或文件夹"},
        {"both",
         {{"/d/x", FolderNotListedReason::TooManyLinks}, {"/d/y.doc", scan::FileRefusal::Locked}},
         {},
         "1 个 .doc 文件未能检查，1 个文件夹未能搜索",
         "未能检查的 .doc 文件和文件夹",
         "文件或文件夹"},
        {"documents of every type",
         {{"/d/a.docx", scan::PackageRefusal::Damaged}},
         scan::DocumentTypes::All(),
         "1 个文件未能检查",
         "未能检查的文件",
         "文件"},
        {"both of every type",
         {{"/d/a.docx", scan::PackageRefusal::Damaged}, {"/d/x", FolderNotListedReason::Gone}},
         scan::DocumentTypes::All(),
         "1 个文件未能检查，1 个文件夹未能搜索",
         "未能检查的文件和文件夹",
         "文件或文件夹"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        NotExaminedIndicator indicator(&window);
        window.show();
        indicator.ShowReport(c.entries, c.types);
        EXPECT_EQ(indicator.text(), c.indicatorText);
        EXPECT_TRUE(indicator.isEnabled());

        QTest::mouseClick(&indicator, Qt::LeftButton);
        auto* dialog = window.findChild<NotExaminedDialog*>();
        EXPECT_NE(dialog, nullptr);
        if (dialog == nullptr) {
            continue;
        }
        EXPECT_EQ(dialog->windowTitle(), c.dialogTitle);
        EXPECT_EQ(dialog->Table().rowCount(), static_cast<int>(c.entries.size()));
        EXPECT_EQ(dialog->Table().horizontalHeaderItem(0)->text(), c.pathHeader);
        EXPECT_EQ(dialog->Table().horizontalHeaderItem(1)->text(), "原因");
    }
}

TEST(NotExaminedIndicatorTest, NoNoteAfterAFullyExaminedSearchNorWhileANewOneRuns) {
    QWidget window;
    NotExaminedIndicator indicator(&window);
    window.show();
    indicator.ShowReport({});
    EXPECT_FALSE(indicator.isVisible());

    indicator.ShowReport({{"/d/a.doc", scan::FileRefusal::Locked}});
    EXPECT_TRUE(indicator.isVisible());
    indicator.Clear();
    EXPECT_FALSE(indicator.isVisible());
    QTest::mouseClick(&indicator, Qt::LeftButton);
    EXPECT_EQ(window.findChild<NotExaminedDialog*>(), nullptr);
}

TEST(NotExaminedDialogTest, RowsOfferTheirFoldersAndPathsAndSayWhyTheyFailed) {
    testing::FakeDesktop desktop;
    const testing::TempDir temp;
    const fs::path d = temp.MakeDir("d");
    const fs::path e = temp.MakeDir("e");
    const fs::path gone = temp.Path() / "gone";
    NotExaminedDialog dialog({{d / "a.doc", scan::FileRefusal::Locked},
                              {d / "b.doc", scan::WordStreamRefusal::TooShort},
                              {e / "closed", FolderNotListedReason::NoPermission},
                              {gone / "c.doc", scan::FileRefusal::Locked}},
                             {}, nullptr);
    dialog.OnRightClick(QPoint(5, 5));
    EXPECT_TRUE(desktop.menus.empty()) << "no menu without a selection";

    const auto line = [](const fs::path& folder, const char* reason) {
        return DisplayText(folder) + QStringLiteral("：") + QString::fromUtf8(reason);
    };
    struct Case {
        const char* name;
        std::vector<int> rows;
        unsigned choice;
        std::function<void()> arrange;
        std::vector<fs::path> opened;
        QString clipboard;
        QString warning;  // "" for none
    };
    const std::vector<Case> cases{
        {"open folders, each once", {0, 1, 2}, 1, [] {}, {d, e}, "", ""},
        {"open folders, one gone and one without a program",
         {0, 2, 3},
         1,
         [&] { desktop.unopenable = {e}; },
         {d, e},
         "",
         "以下 2 个文件夹未能打开：\n" + line(e, "没有可以打开它的程序") + u'\n' +
             line(gone, "文件夹不存在或无法访问")},
        {"copy paths",
         {0, 2},
         2,
         [] {},
         {},
         DisplayText(d / "a.doc") + u'\n' + DisplayText(e / "closed"),
         ""},
        {"copy paths while the clipboard is held",
         {0, 2},
         2,
         [&] { desktop.clipboardHeld = true; },
         {},
         "",
         "未能复制 2 个路径：剪贴板不可用，可能正被其他程序占用"},
        {"menu closed", {0}, 0, [] {}, {}, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        desktop.opened.clear();
        desktop.warnings.clear();
        desktop.unopenable.clear();
        desktop.clipboardHeld = false;
        c.arrange();
        desktop.menuChoice = c.choice;
        QGuiApplication::clipboard()->clear();
        const QTableWidget& table = dialog.Table();
        table.selectionModel()->clearSelection();
        for (const int row : c.rows) {
            table.selectionModel()->select(table.model()->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        dialog.OnRightClick(QPoint(5, 5));
        EXPECT_EQ(desktop.menus.back(), (std::vector<testing::FakeDesktop::MenuItem>{
                                            {1, "打开所在文件夹"}, {2, "复制路径"}}));
        EXPECT_EQ(desktop.opened, c.opened);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), c.clipboard);
        if (c.warning.isEmpty()) {
            EXPECT_TRUE(desktop.warnings.empty());
        } else {
            EXPECT_EQ(desktop.warnings.size(), 1U);
            if (desktop.warnings.empty()) {
                continue;
            }
            EXPECT_EQ(desktop.warnings.back().text, c.warning);
            EXPECT_EQ(desktop.warnings.back().parent, &dialog);
        }
    }
}

}  // namespace
}  // namespace kalvor::results
