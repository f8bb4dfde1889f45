#include <gtest/gtest.h>

#include <QTableWidget>
#include <QTest>

#include "results/not_examined_dialog.h"
#include "results/not_examined_indicator.h"

namespace kalvor::results {
namespace {

using scan::NotExaminedReason;

TEST(NotExaminedIndicatorTest, TellsTheCountAndListsEachFileWithItsReason) {
    QWidget window;
    NotExaminedIndicator indicator(&window);
    window.show();
    EXPECT_FALSE(indicator.isVisible());

    indicator.ShowReport({{"/d/locked.doc", NotExaminedReason::Locked},
                          {"/d/\xff.doc", NotExaminedReason::NotCompoundFile}});
    EXPECT_TRUE(indicator.isVisible());
    EXPECT_EQ(indicator.text(), "2 个 .doc 文件未能检查");

    QTest::mouseClick(&indicator, Qt::LeftButton);
    auto* dialog = window.findChild<NotExaminedDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    const QTableWidget& table = dialog->Table();
    ASSERT_EQ(table.rowCount(), 2);
    EXPECT_EQ(table.item(0, 0)->text(), "/d/locked.doc");
    EXPECT_EQ(table.item(0, 1)->text(),
              QString::fromUtf8(scan::DescribeReason(NotExaminedReason::Locked)));
    EXPECT_EQ(table.item(1, 0)->text(), QString::fromUtf8("/d/\xef\xbf\xbd.doc"));
    EXPECT_EQ(table.item(1, 1)->text(),
              QString::fromUtf8(scan::DescribeReason(NotExaminedReason::NotCompoundFile)));
    EXPECT_FALSE(table.item(1, 1)->text().isEmpty());
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
