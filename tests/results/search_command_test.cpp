#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <climits>

#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/not_examined_dialog.h"
#include "results/not_examined_indicator.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unprivileged.h"
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

// A folder below `parent` whose full path is longer than the system takes, so no search can list
// it. Made and removed through its parent's descriptor, since no path reaches it.
class FolderBeyondPathMax {
  public:
    explicit FolderBeyondPathMax(const fs::path& parent) {
        fs::path above = parent;
        while (above.native().size() + 1 + name_.size() < PATH_MAX) {
            above /= name_;
        }
        fs::create_directories(above);
        above_ = ::open(above.c_str(), O_RDONLY | O_DIRECTORY);
        EXPECT_EQ(::mkdirat(above_, name_.c_str(), 0755), 0);
        path_ = above / name_;
    }
    ~FolderBeyondPathMax() {
        ::unlinkat(above_, name_.c_str(), AT_REMOVEDIR);
        ::close(above_);
    }
    FolderBeyondPathMax(const FolderBeyondPathMax&) = delete;
    FolderBeyondPathMax& operator=(const FolderBeyondPathMax&) = delete;

    const fs::path& Path() const { return path_; }

  private:
    const std::string name_ = std::string(200, 'p');
    fs::path path_;
    int above_ = -1;
};

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
    EXPECT_EQ(desktop.messages[0].text,
              "一共找到 3 个符合要求的文件！\n另有 3 个 .doc 文件未能检查，详见状态栏。");
    EXPECT_EQ(desktop.messages[0].caption, "完成搜索");
}

TEST_F(SearchCommandTest, KeepsAnAccountOfWhatItCouldNotExamineAndShowsItInWalkOrder) {
    const FolderBeyondPathMax unlisted(temp.MakeDir("p"));
    QWidget window;
    NotExaminedIndicator indicator(&window);
    window.show();
    QObject::connect(&view, &CkalvorView::SearchFinished, &indicator,
                     &NotExaminedIndicator::ShowReport);
    QSignalSpy finished(&view, &CkalvorView::SearchFinished);
    Search();

    const std::vector<std::pair<fs::path, NotSearchedReason>> expected{
        {temp.Path() / "n.doc", cfb::StreamReadResult::NotCompoundFile},
        {unlisted.Path(), scan::FolderNotListedReason::PathTooLong},
        {temp.Path() / "r.doc", scan::FileRefusal::ReadOnly},
        {temp.Path() / "v.doc", scan::WordStreamRefusal::UnsupportedVersion},
    };
    std::vector<std::pair<fs::path, NotSearchedReason>> seen;
    for (const NotExaminedFile& file : view.NotExaminedFiles()) {
        seen.emplace_back(file.path, file.reason);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Column(0), (QStringList{"1", "2", "3"}));

    EXPECT_EQ(indicator.text(), "3 个 .doc 文件未能检查，1 个文件夹未能搜索");
    QTest::mouseClick(&indicator, Qt::LeftButton);
    auto* dialog = window.findChild<NotExaminedDialog*>();
    ASSERT_NE(dialog, nullptr);
    const QTableWidget& table = dialog->Table();
    ASSERT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.item(1, 0)->text(), FolderText(unlisted.Path()));
    EXPECT_EQ(table.item(1, 1)->text(), "无法列出文件夹（路径过长），其下内容均未搜索");
}

TEST_F(SearchCommandTest, ASecondSearchStartsTheListAfresh) {
    Search();
    fs::remove(temp.Path() / "a.doc");
    Search();
    EXPECT_EQ(Column(0), (QStringList{"1", "2"}));
    ASSERT_EQ(desktop.messages.size(), 2U);
    EXPECT_EQ(desktop.messages[1].text,
              "一共找到 2 个符合要求的文件！\n另有 3 个 .doc 文件未能检查，详见状态栏。");
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

// What a search of `folder` for `types` shows at its end, by a user who is not root: the box's
// caption and text, "warning" before a warning's.
std::optional<std::string> SummaryAsAnotherUser(const fs::path& folder,
                                                const scan::DocumentTypes& types) {
    return testing::RunUnprivileged([&] {
        FakeDesktop desktop;
        CkalvorView view;
        view.OnInitialUpdate();
        view.SetSearchChoice({.types = types});
        desktop.folderAnswers = {FolderText(folder)};
        view.OnSearchFolder();
        std::string shown;
        for (const FakeDesktop::Message& message : desktop.messages) {
            shown += (message.caption + ": " + message.text).toStdString();
        }
        for (const FakeDesktop::Message& warning : desktop.warnings) {
            shown += ("warning " + warning.caption + ": " + warning.text).toStdString();
        }
        return shown;
    });
}

TEST(SearchSummaryTest, NeverLooksCompleteWhenSomethingWasNotSearched) {
    const TempDir temp;
    const auto marked = testing::WordDocumentWithText(u"本文件属于秘密级");
    const fs::path root = temp.Path();
    for (const char* name : {"closed/a.doc", "read-only/a.doc", "read-only/sub/b.doc",
                             "mixed/a.doc", "mixed/r.doc", "mixed/shut/c.doc", "mixed/z.doc",
                             "folder only/shut/d.doc", "types/a.docx", "types/a.doc"}) {
        temp.Write(name, marked);
    }
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        fs::permissions(entry.path(), entry.is_directory()
                                          ? fs::perms::all
                                          : fs::perms::owner_read | fs::perms::group_read |
                                                fs::perms::others_read);
    }
    fs::permissions(root, fs::perms::all);
    for (const char* writable : {"mixed/a.doc", "mixed/z.doc"}) {
        fs::permissions(root / writable, fs::perms::all);
    }
    for (const char* shut : {"closed", "mixed/shut", "folder only/shut"}) {
        fs::permissions(root / shut, fs::perms::none);
    }
    struct Case {
        const char* folder;
        scan::DocumentTypes types;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"closed",
         {},
         "warning 无法搜索: 无法搜索所选的文件夹（没有权限），其中的文件均未检查：\n" +
             (root / "closed").native()},
        {"read-only",
         {},
         "完成搜索: 一共找到 0 个符合要求的文件！\n另有 2 个 .doc 文件未能检查，详见状态栏。"},
        {"mixed",
         {},
         "完成搜索: 一共找到 2 个符合要求的文件！\n"
         "另有 1 个 .doc 文件未能检查，1 个文件夹未能搜索，详见状态栏。"},
        {"folder only",
         {},
         "完成搜索: 一共找到 0 个符合要求的文件！\n另有 1 个文件夹未能搜索，详见状态栏。"},
        {"types", scan::DocumentTypes::All(),
         "完成搜索: 一共找到 0 个符合要求的文件！\n另有 2 个文件未能检查，详见状态栏。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        EXPECT_EQ(SummaryAsAnotherUser(root / c.folder, c.types), c.shown);
    }
}

}  // namespace
}  // namespace kalvor::results
