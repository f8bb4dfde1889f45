#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTest>
#include <QToolTip>
#include <QWindow>
#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/results_model.h"
#include "results/row_hover.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

using testing::FakeDesktop;
using testing::RowFor;

class ResultsViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        view.resize(1100, 500);
        view.OnInitialUpdate();
        for (const char* name : {"a", "b", "c", "d"}) {
            view.AddResultRow(RowFor(docs.WriteText(std::string(name) + ".doc", name)));
        }
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QWindow* Window() { return view.windowHandle(); }

    QString Doc(const char* name) const {
        return testing::FolderText(docs.Path() / (std::string(name) + ".doc"));
    }

    // A point inside row `row`, in the coordinates of the view's window.
    QPoint RowPoint(int row) {
        const QRect cell = view.visualRect(view.model()->index(row, 1));
        return view.viewport()->mapTo(&view, cell.center());
    }

    QPoint BelowTheRows() {
        return view.viewport()->mapTo(&view, QPoint(40, view.viewport()->height() - 10));
    }

    std::vector<int> SelectedRows() const { return testing::SelectedRows(view); }

    void Select(std::initializer_list<int> rows) {
        view.clearSelection();
        testing::SelectRows(view, rows);
    }

    testing::TempDir docs;
    FakeDesktop desktop;
    CkalvorView view;
};

TEST_F(ResultsViewTest, IsAReportListWithFixedColumnsAndWholeRowSelection) {
    constexpr std::array<int, 5> kWidths{80, 500, 120, 140, 140};
    const QHeaderView& header = *view.horizontalHeader();
    ASSERT_EQ(testing::ShownColumns(header), 5);
    for (int column = 0; column < 5; ++column) {
        EXPECT_EQ(header.sectionSize(column), kWidths[static_cast<std::size_t>(column)]);
        EXPECT_EQ(header.sectionResizeMode(column), QHeaderView::Interactive);
    }
    EXPECT_FALSE(header.sectionsMovable());
    EXPECT_TRUE(view.showGrid());
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(view.isSortingEnabled());
    EXPECT_TRUE(view.hasMouseTracking());
    EXPECT_FALSE(view.verticalHeader()->isVisible());
}

TEST_F(ResultsViewTest, HeaderClickNeitherSortsNorSelects) {
    Select({1});
    const QHeaderView& header = *view.horizontalHeader();
    QTest::mouseClick(Window(), Qt::LeftButton, {},
                      header.mapTo(&view, QPoint(header.sectionPosition(1) + 20, 5)));
    EXPECT_EQ(view.Results().CellText(0, 1), Doc("a"));
    EXPECT_EQ(SelectedRows(), std::vector<int>{1});
}

TEST_F(ResultsViewTest, SecondInitialUpdateKeepsFiveColumnsTheirWidthsAndTheRows) {
    view.horizontalHeader()->resizeSection(1, 320);
    view.OnInitialUpdate();
    EXPECT_EQ(testing::ShownColumns(*view.horizontalHeader()), 5);
    EXPECT_EQ(view.horizontalHeader()->sectionSize(1), 320);
    EXPECT_EQ(view.model()->rowCount(), 4);
    EXPECT_EQ(view.Results().CellText(3, 0), "4");
}

TEST_F(ResultsViewTest, CommandMapHoldsTheSearchAndTheFiveActions) {
    for (const unsigned id : {ID_FILE_OPEN, ID_SHELL_OPEN, ID_DELETE_FILE, ID_OPEN_FOLDER,
                              ID_REMOVE_FROM_LIST, ID_COPY_TO}) {
        EXPECT_TRUE(view.HasCommand(id)) << id;
    }
    for (const unsigned id : {0U, unsigned{ID_FILE_NEW}, unsigned{ID_FILE_SAVE},
                              unsigned{ID_APP_ABOUT}, unsigned{ID_EDIT_COPY}}) {
        EXPECT_FALSE(view.HasCommand(id)) << id;
        EXPECT_FALSE(view.OnCommand(id)) << id;
    }
    Select({1});
    EXPECT_TRUE(view.OnCommand(ID_REMOVE_FROM_LIST));
    EXPECT_EQ(view.model()->rowCount(), 3);
}

TEST_F(ResultsViewTest, RowUnderThePointerIsHighlightedAndSelectedAfterARest) {
    QTest::mouseMove(Window(), RowPoint(2));
    // QTRY_COMPARE would only return from the test when it fails; gtest must hear of it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Hover().HoveredRow() == 2; }));
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return SelectedRows() == std::vector<int>{2}; }));

    QTest::mouseMove(Window(), BelowTheRows());
    EXPECT_TRUE(QTest::qWaitFor([&] { return view.Hover().HoveredRow() == -1; }));
}

TEST_F(ResultsViewTest, RemovingRowsKeepsThePlaceTheCurrentRowAndTheShiftAnchor) {
    struct Case {
        const char* name;
        std::vector<int> removed;  // rising
    };
    std::vector<int> everyOther;
    for (int row = 0; row < 300; row += 2) {
        everyOther.push_back(row);
    }
    const std::vector<Case> cases{
        {"a few runs", {10, 150, 151, 152}},
        {"many runs", everyOther},
        {"the current row and the one above", {119, 120}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view.selectAll();
        view.OnRemoveFromList();
        for (int row = 0; row < 300; ++row) {
            view.AddResultRow(RowFor("/many/" + std::to_string(row) + ".doc"));
        }
        view.setCurrentIndex(view.model()->index(120, 0));
        view.verticalScrollBar()->setValue(100);
        QTest::mouseMove(Window(),
                         RowPoint(102));  // the pointer may rest on 101 since the last case
        QTest::mouseMove(Window(), RowPoint(101));
        const bool hovered = QTest::qWaitFor([&] { return view.Hover().HoveredRow() == 101; });
        EXPECT_TRUE(hovered);
        if (!hovered) {
            continue;
        }
        Select({});
        for (const int row : c.removed) {
            testing::SelectRows(view, {row});
        }
        view.OnRemoveFromList();

        // A removed current row hands over to the row above it.
        const auto next = std::lower_bound(c.removed.begin(), c.removed.end(), 120);
        const int above =
            static_cast<int>(next - c.removed.begin()) + (next != c.removed.end() && *next == 120);
        EXPECT_EQ(view.verticalScrollBar()->value(), 100);
        EXPECT_EQ(view.currentIndex().row(), 120 - above);
        EXPECT_EQ(view.Hover().HoveredRow(), -1);
        EXPECT_TRUE(SelectedRows().empty());
        QTest::keyClick(&view, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(SelectedRows(), (std::vector<int>{120 - above, 121 - above}));
    }
}

TEST_F(ResultsViewTest, APathThatDoesNotFitShowsWhollyAsATooltip) {
    const std::string deep = "/" + std::string(200, 'd') + "/deep.doc";
    view.AddResultRow(RowFor(deep));
    // A path that fits first: a tooltip, once shown, takes a while to go.
    const std::vector<std::pair<int, QString>> cases{{0, QString()},
                                                     {4, QString::fromStdString(deep)}};
    for (const auto& [row, tip] : cases) {
        SCOPED_TRACE(row);
        const QPoint inside = view.visualRect(view.model()->index(row, 1)).center();
        QHelpEvent help(QEvent::ToolTip, inside, view.viewport()->mapToGlobal(inside));
        QApplication::sendEvent(view.viewport(), &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
    }
}

TEST_F(ResultsViewTest, AClickWinsOverTheRestOfThePointer) {
    QTest::mouseClick(Window(), Qt::LeftButton, {}, RowPoint(1));
    QTest::mouseClick(Window(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(3));
    ASSERT_EQ(SelectedRows(), (std::vector<int>{1, 2, 3}));
    // Twice the rest delay: nothing may change the selection the clicks made.
    QTest::qWait(800);
    EXPECT_EQ(SelectedRows(), (std::vector<int>{1, 2, 3}));
}

TEST_F(ResultsViewTest, RightClickShowsTheContextMenuOnlyWithASelection) {
    QTest::mouseClick(Window(), Qt::RightButton, {}, BelowTheRows());
    EXPECT_TRUE(desktop.menus.empty());

    Select({1});
    QTest::mouseClick(Window(), Qt::RightButton, {}, RowPoint(1));
    using Item = FakeDesktop::MenuItem;
    const std::vector<Item> expected{
        {ID_SHELL_OPEN, "Shell 打开"},
        {ID_OPEN_FOLDER, "打开所在文件夹"},
        {0, ""},
        {ID_COPY_TO, "复制到...."},
        {0, ""},
        {ID_DELETE_FILE, "删除文件"},
        {ID_REMOVE_FROM_LIST, "删除列表"},
    };
    ASSERT_EQ(desktop.menus.size(), 1U);
    EXPECT_EQ(desktop.menus[0], expected);
}

TEST_F(ResultsViewTest, TheCommandChosenFromTheContextMenuRunsOnTheSelection) {
    Select({0, 2});
    desktop.menuChoice = ID_REMOVE_FROM_LIST;
    view.OnRightClick(QPoint(10, 10));
    ASSERT_EQ(view.model()->rowCount(), 2);
    EXPECT_EQ(view.Results().CellText(0, 1), Doc("b"));
    EXPECT_EQ(view.Results().CellText(1, 0), "2");

    view.clearSelection();
    view.OnRightClick(QPoint(10, 10));
    EXPECT_EQ(desktop.menus.size(), 1U);
}

TEST_F(ResultsViewTest, DoubleClickOpensEverySelectedRow) {
    QTest::mouseClick(Window(), Qt::LeftButton, {}, RowPoint(0));
    QTest::mouseClick(Window(), Qt::LeftButton, Qt::ControlModifier, RowPoint(2));
    ASSERT_EQ(SelectedRows(), (std::vector<int>{0, 2}));
    // Shift keeps the selection through the clicks of the double click.
    QTest::mouseDClick(Window(), Qt::LeftButton, Qt::ShiftModifier, RowPoint(2));
    EXPECT_EQ(desktop.opened,
              (std::vector<std::filesystem::path>{docs.Path() / "a.doc", docs.Path() / "c.doc"}));
}

TEST_F(ResultsViewTest, DoubleClickWithoutASelectionOpensNothing) {
    QTest::mouseDClick(Window(), Qt::LeftButton, {}, BelowTheRows());
    EXPECT_TRUE(SelectedRows().empty());
    EXPECT_TRUE(desktop.opened.empty());
}

}  // namespace
}  // namespace kalvor::results
