#include "results/results_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <algorithm>
#include <array>
#include <vector>

#include "results/result_columns.h"
#include "tests/results/results_test_support.h"

namespace kalvor::results {
namespace {

using testing::RowFor;

class ResultsModelTest : public ::testing::Test {
  protected:
    void AppendRows(int count) {
        for (int i = 1; i <= count; ++i) {
            model.AppendRow(RowFor("/d/" + std::to_string(i) + ".doc"));
        }
    }

    QStringList Column(int column) const { return testing::ColumnTexts(model, column); }

    ResultsModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(ResultsModelTest, HeadersKeepTheirSpacesAndAlignments) {
    struct Expected {
        QString text;
        Qt::Alignment alignment;
    };
    const std::array<Expected, 5> expected{{
        {QStringLiteral(" 序号 "), Qt::AlignLeft | Qt::AlignVCenter},
        {QStringLiteral(" 文件名 "), Qt::AlignLeft | Qt::AlignVCenter},
        {QStringLiteral(" 文件大小(字节) "), Qt::AlignRight | Qt::AlignVCenter},
        {QStringLiteral(" 创建时间 "), Qt::AlignCenter},
        {QStringLiteral(" 修改时间 "), Qt::AlignCenter},
    }};
    ASSERT_EQ(model.columnCount(), kColumnCount);
    AppendRows(1);
    for (int column = 0; column < 5; ++column) {
        SCOPED_TRACE(column);
        const Expected& want = expected[static_cast<std::size_t>(column)];
        EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), want.text);
        EXPECT_EQ(
            model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>(),
            want.alignment);
        EXPECT_EQ(model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                  want.alignment);
    }
    EXPECT_FALSE(model.headerData(kColumnCount, Qt::Horizontal).isValid());
}

TEST_F(ResultsModelTest, AppendedRowsAreNumberedFromOneAndShowTheirCells) {
    EXPECT_EQ(model.AppendRow(RowFor("/d/a.doc")), 0);
    EXPECT_EQ(model.AppendRow(RowFor("/d/b.doc")), 1);
    EXPECT_EQ(model.AppendRow(RowFor("/d/c.doc")), 2);
    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(1), (QStringList{"/d/a.doc", "/d/b.doc", "/d/c.doc"}));
    EXPECT_EQ(model.CellText(2, 2), "1536");
    EXPECT_EQ(model.CellText(2, 3), "2008-03-05 09:07:02");
    EXPECT_EQ(model.CellText(2, 4), "2009-06-30 17:45:02");
    EXPECT_EQ(model.RowAt(1).path, "/d/b.doc");
}

TEST_F(ResultsModelTest, RemovingTheSecondAndFourthThenRenumberingKeepsOrder) {
    AppendRows(5);
    ASSERT_TRUE(model.removeRows(3, 1));
    ASSERT_TRUE(model.removeRows(1, 1));
    model.Renumber();
    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Column(1), (QStringList{"/d/1.doc", "/d/3.doc", "/d/5.doc"}));
}

// Every row that stays gets its new number, however far down it stands and whether the rows left
// one range at a time or in one reset.
TEST_F(ResultsModelTest, RenumberingAfterRemovalsNumbersEveryRowLeftInOrder) {
    struct Case {
        const char* name;
        int rows;
        std::vector<int> removed;
    };
    std::vector<int> everyOther;
    for (int row = 0; row < 200; row += 2) {
        everyOther.push_back(row);
    }
    const std::vector<Case> cases{
        {"the second and fourth of six", 6, {1, 3}},
        {"every other of two hundred", 200, everyOther},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        model.Clear();
        AppendRows(c.rows);
        model.RemoveRows(c.removed);
        model.Renumber();
        QStringList numbers;
        QStringList paths;
        for (int row = 0; row < c.rows; ++row) {
            if (std::find(c.removed.begin(), c.removed.end(), row) == c.removed.end()) {
                numbers << QString::number(numbers.size() + 1);
                paths << QStringLiteral("/d/%1.doc").arg(row + 1);
            }
        }
        EXPECT_EQ(Column(0), numbers);
        EXPECT_EQ(Column(1), paths);
    }
}

TEST_F(ResultsModelTest, RefusesRowRangesOutsideTheList) {
    AppendRows(2);
    EXPECT_FALSE(model.removeRows(2, 1));
    EXPECT_FALSE(model.removeRows(-1, 1));
    EXPECT_FALSE(model.removeRows(1, 2));
    EXPECT_FALSE(model.removeRows(0, 0));
    EXPECT_EQ(model.rowCount(), 2);
}

TEST_F(ResultsModelTest, RenumberingAnEmptyListChangesNothing) {
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.Renumber();
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace kalvor::results
