#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <QSignalSpy>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/results_model.h"
#include "results_test_support.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using scan::NotExaminedReason;
using testing::FakeDesktop;
using testing::FolderText;
using testing::RowFor;
using testing::TempDir;

// 2009-06-30 17:45:02 in Shanghai, where the tests run.
constexpr time_t kModified = 1246355102;

void SetModificationTime(const fs::path& path, time_t seconds) {
    const timeval times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimes(path.c_str(), times), 0);
}

class SearchCommandTest : public ::testing::Test {
  protected:
    SearchCommandTest() {
        const auto marked = testing::WordDocumentWithText(u"本文件属于秘密级");
        temp.Write("a.doc", marked);
        temp.Write("s/b.doc", marked);
        temp.Write("s/plain.doc", testing::WordDocumentWithText(u"普通文件"));
        temp.Write("s/b.docx", marked);
        temp.Write("z.DOC", marked);
        temp.WriteText("n.doc", "{\\rtf1 not a compound file}");
        temp.Write("v.doc", testing::BuildWordDocument(testing::WordStreamWithText(u"绝密", 0x10)));
        temp.Write("r.doc", marked);
        ::chmod((temp.Path() / "r.doc").c_str(), 0444);
        SetModificationTime(temp.Path() / "z.DOC", kModified);
        view.OnInitialUpdate();
    }

    QStringList Column(int column) const { return testing::ColumnTexts(view.Results(), column); }

    void Search() {
        desktop.folderAnswers = {FolderText(temp.Path())};
        view.OnCommand(ID_FILE_OPEN);
    }

    TempDir temp;
    FakeDesktop desktop;
    CkalvorView view;
};

TEST_F(SearchCommandTest, ListsMarkedDocumentsInWalkOrderAndReportsTheCount) {
    Search();
    ASSERT_EQ(desktop.picks.size(), 1U);
    EXPECT_EQ(desktop.picks[0].title, "请选择搜索路径");
    EXPECT_FALSE(desktop.picks[0].allowNewFolder);

    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));
    const QString root = FolderText(temp.Path());
    EXPECT_EQ(Column(1), (QStringList{root + "/a.doc", root + "/s/b.doc", root + "/z.DOC"}));
    EXPECT_EQ(view.Results().RowAt(2).path, temp.Path() / "z.DOC");
    EXPECT_EQ(view.Results().CellText(2, 2), QString::number(fs::file_size(temp.Path() / "z.DOC")));
    EXPECT_EQ(view.Results().CellText(2, 4), "2009-06-30 17:45:02");
    EXPECT_EQ(view.Results().CellText(2, 3).size(), 19);

    ASSERT_EQ(desktop.messages.size(), 1U);
    EXPECT_EQ(desktop.messages[0].parent, &view);
    EXPECT_EQ(desktop.messages[0].text, "一共找到 3 个符合要求的文件！");
    EXPECT_EQ(desktop.messages[0].caption, "完成搜索");
}

TEST_F(SearchCommandTest, KeepsAnAccountOfTheDocumentsItCouldNotExamine) {
    QSignalSpy finished(&view, &CkalvorView::SearchFinished);
    Search();
    const std::vector<std::pair<fs::path, NotExaminedReason>> expected{
        {temp.Path() / "n.doc", NotExaminedReason::NotCompoundFile},
        {temp.Path() / "r.doc", NotExaminedReason::ReadOnly},
        {temp.Path() / "v.doc", NotExaminedReason::UnsupportedVersion},
    };
    std::vector<std::pair<fs::path, NotExaminedReason>> seen;
    for (const NotExaminedFile& file : view.NotExaminedFiles()) {
        seen.emplace_back(file.path, file.reason);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(finished.count(), 1);
}

TEST_F(SearchCommandTest, ASecondSearchStartsTheListAfresh) {
    Search();
    fs::remove(temp.Path() / "a.doc");
    Search();
    EXPECT_EQ(Column(0), (QStringList{"1", "2"}));
    ASSERT_EQ(desktop.messages.size(), 2U);
    EXPECT_EQ(desktop.messages[1].text, "一共找到 2 个符合要求的文件！");
}

TEST_F(SearchCommandTest, CancelledOrTooShortPathChangesNothing) {
    view.AddResultRow(RowFor("/kept.doc"));
    QSignalSpy finished(&view, &CkalvorView::SearchFinished);
    for (const QString& answer : {QString(), QStringLiteral("x")}) {
        desktop.folderAnswers = {answer};
        view.OnSearchFolder();
    }
    EXPECT_EQ(desktop.picks.size(), 2U);
    EXPECT_EQ(Column(1), QStringList{"/kept.doc"});
    EXPECT_TRUE(desktop.messages.empty());
    EXPECT_EQ(finished.count(), 0);
}

TEST_F(SearchCommandTest, AFolderWithoutMarkedDocumentsReportsZero) {
    view.AddResultRow(RowFor("/old.doc"));
    desktop.folderAnswers = {FolderText(temp.MakeDir("empty"))};
    view.OnSearchFolder();
    EXPECT_EQ(view.Results().rowCount(), 0);
    ASSERT_EQ(desktop.messages.size(), 1U);
    EXPECT_EQ(desktop.messages[0].text, "一共找到 0 个符合要求的文件！");
}

}  // namespace
}  // namespace kalvor::results
