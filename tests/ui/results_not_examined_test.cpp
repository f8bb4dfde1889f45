#include <gtest/gtest.h>

#include <QTableWidget>
#include <QTest>

#include "results/not_examined_dialog.h"
#include "results/not_examined_indicator.h"

namespace kalvor::results {
namespace {

using scan::NotExaminedReason;

TEST(NotExaminedIndicatorTest, TellsTheCountAndListsEachEntryWithItsReason) {
    QWidget window;
    NotExaminedIndicator indicator(&window);
    window.show();
    EXPECT_FALSE(indicator.isVisible());

    indicator.ShowReport({{"/d/locked.doc", NotExaminedReason::Locked},
                          {"/d/closed", NotExaminedReason::FolderNotListed},
                          {"/d/\xff.doc", NotExaminedReason::NotCompoundFile}});
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
              QString::fromUtf8(scan::DescribeReason(NotExaminedReason::Locked)));
    EXPECT_EQ(table.item(1, 0)->text(), "/d/closed");
    EXPECT_EQ(table.item(1, 1)->text(), "无法列出文件夹，其下内容均未搜索");
    EXPECT_EQ(table.item(2, 0)->text(), QString::fromUtf8("/d/\xef\xbf\xbd.doc"));
    EXPECT_EQ(table.item(2, 1)->text(),
              QString::fromUtf8(scan::DescribeReason(NotExaminedReason::NotCompoundFile)));
    EXPECT_FALSE(table.item(2, 1)->text().isEmpty());
}

TEST(NotExaminedIndicatorTest, NamesFoldersOnlyWhenSomeWereNotListed) {
    struct Case {
        const char* name;
        std::vector<NotExaminedFile> entries;
        QString indicatorText;
        QString dialogTitle;
        QString pathHeader;
    };
    const std::vector<Case> cases{
        {"documents",
         {{"/d/a.doc", NotExaminedReason::ReadOnly}, {"/d/b.doc", NotExaminedReason::TooShort}},
         "2 个 .doc 文件未能检查",
         "未能检查的 .doc 文件",
         "文件"},
        {"folders",
         {{"/d/x", NotExaminedReason::FolderNotListed},
          {"/d/y", NotExaminedReason::FolderNotListed}},
         "0 个 .doc 文件未能检查，2 个文件夹未能搜索",
         "未能检查的 .doc 文件和文件夹",
         "文件或文件夹"},
        {"both",
         {{"/d/x", NotExaminedReason::FolderNotListed}, {"/d/y.doc", NotExaminedReason::Locked}},
         "1 个 .doc 文件未能检查，1 个文件夹未能搜索",
         "未能检查的 .doc 文件和文件夹",
         "文件或文件夹"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget window;
        NotExaminedIndicator indicator(&window);
        window.show();
        indicator.ShowReport(c.entries);
        EXPECT_EQ(indicator.text(), c.indicatorText);
        EXPECT_TRUE(indicator.isEnabled());

        QTest::mouseClick(&indicator, Qt::LeftButton);
        auto* dialog = window.findChild<NotExaminedDialog*>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), c.dialogTitle);
        EXPECT_EQ(dialog->Table().rowCount(), static_cast<int>(c.entries.size()));
        EXPECT_EQ(dialog->Table().horizontalHeaderItem(0)->text(), c.pathHeader);
        EXPECT_EQ(dialog->Table().horizontalHeaderItem(1)->text(), "原因");
    }
}

TEST(NotExaminedIndicatorTest, AFullyExaminedSearchSaysSoAndOpensNothing) {
    QWidget window;
    NotExaminedIndicator indicator(&window);
    window.show();
    indicator.ShowReport({});
    EXPECT_EQ(indicator.text(), "0 个 .doc 文件未能检查");
    EXPECT_FALSE(indicator.isEnabled());
    QTest::mouseClick(&indicator, Qt::LeftButton);
    EXPECT_EQ(window.findChild<NotExaminedDialog*>(), nullptr);
}

}  // namespace
}  // namespace kalvor::results
