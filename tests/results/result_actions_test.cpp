#include "results/result_actions.h"

#include <gtest/gtest.h>

#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FakeDesktop;
using testing::RowFor;
using testing::SelectionOf;
using testing::TempDir;

class ResultActionsTest : public ::testing::Test {
  protected:
    // Lists one row per file, written with its own name as contents.
    void List(std::initializer_list<fs::path> relatives) {
        for (const scan::ResultRow& row : testing::WrittenRows(temp, relatives)) {
            list.AppendRow(row);
        }
    }

    TempDir temp;
    FakeDesktop desktop;
    ResultsModel list;
    const ResultActions actions{nullptr};
};

TEST_F(ResultActionsTest, OpenFolderOpensTheFolderOfEachSelectedRow) {
    List({"a.doc", "c.doc", "s/b.doc"});
    list.AppendRow(RowFor("/top.doc"));
    actions.OpenFolders(SelectionOf(list, {0, 1, 2, 3}));
    EXPECT_EQ(desktop.opened,
              (std::vector<fs::path>{temp.Path(), temp.Path(), temp.Path() / "s", fs::path("/")}));
}

TEST_F(ResultActionsTest, CopyFindsAFileWhoseNameIsNotUtf8ThroughItsRow) {
    const fs::path odd = temp.WriteText("\xff\xfe.doc", "odd bytes");
    list.AppendRow(RowFor(odd));
    const fs::path target = temp.MakeDir("target");
    actions.CopyFiles(SelectionOf(list, {0}), target, list.ListedIdentities());
    EXPECT_EQ(testing::FileContents(target / "\xff\xfe.doc"), "odd bytes");
}

TEST_F(ResultActionsTest, DeletingTheSameFileTwiceKeepsTheSecondRow) {
    List({"a.doc"});
    list.AppendRow(RowFor(temp.Path() / "a.doc"));
    const ActionOutcome outcome = actions.DeleteFiles(SelectionOf(list, {0, 1}));
    EXPECT_FALSE(fs::exists(temp.Path() / "a.doc"));
    EXPECT_EQ(outcome.removed, std::vector<int>{0});
}

}  // namespace
}  // namespace kalvor::results
