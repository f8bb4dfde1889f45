#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "results/kalvor_view.h"
#include "results/results_model.h"
#include "tests/results/results_test_support.h"

namespace kalvor::results {
namespace {

namespace fs = std::filesystem;
using testing::FakeDesktop;
using testing::RowFor;

// A walk that reports three rows and some counts, then runs until it is asked to stop.
class EndlessWalk {
  public:
    scan::SearchProgress operator()(const fs::path& folder, scan::SearchSink& sink,
                                    const scan::SearchOptions& options) {
        folder_ = folder;
        types_ = options.types;
        jobs_ = options.jobs;
        onOtherThread_ = std::this_thread::get_id() != guiThread_;
        for (const char* name : {"/w/1.doc", "/w/sub/2.doc", "/w/3.doc"}) {
            sink.AddResultRow(RowFor(name));
        }
        sink.NoteNotExamined("/w/locked.doc", scan::FileRefusal::Locked);
        const scan::SearchProgress progress{.foldersListed = 4,
                                            .documentsExamined = 7,
                                            .documentsMarked = 3,
                                            .documentsNotExamined = 1};
        sink.NoteProgress(progress);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!sink.StopRequested() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        stopped_ = sink.StopRequested();
        return progress;
    }

    fs::path folder_;
    scan::DocumentTypes types_ = scan::DocumentTypes::All();
    unsigned jobs_ = 0;
    bool onOtherThread_ = false;
    std::atomic<bool> stopped_ = false;
    std::thread::id guiThread_ = std::this_thread::get_id();
};

class SearchProgressTest : public ::testing::Test {
  protected:
    SearchProgressTest() {
        view.OnInitialUpdate();
        view.resize(900, 400);
        view.show();
        view.SetFolderSearch(std::ref(walk));
        desktop.folderAnswers = {QStringLiteral("/w")};
    }

    // Runs `whileRunning` once the dialog shows all three rows, inside the search.
    void SearchWhile(const std::function<void(QProgressDialog&)>& whileRunning) {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = view.findChild<QProgressDialog*>();
            if (dialog != nullptr && dialog->isVisible() && view.Results().rowCount() == 3 &&
                dialog->labelText().contains(QStringLiteral("检查 7 个"))) {
                poll.stop();
                whileRunning(*dialog);
            }
        });
        poll.start();
        view.OnSearchFolder();
    }

    EndlessWalk walk;
    FakeDesktop desktop;
    CkalvorView view;
};

TEST_F(SearchProgressTest, ShowsProgressModallyAndStopsOnCancel) {
    bool modal = false;
    bool listTookClick = true;
    bool stillShownAfterCancel = false;
    QString label;
    QString stoppingLabel;
    SearchWhile([&](QProgressDialog& dialog) {
        modal = dialog.windowModality() == Qt::WindowModal &&
                QApplication::activeModalWidget() == &dialog;
        label = dialog.labelText();
        QTest::mouseClick(view.windowHandle(), Qt::LeftButton, {},
                          view.viewport()->mapTo(&view, QPoint(20, 5)));
        listTookClick = view.selectionModel()->hasSelection();
        dialog.findChild<QPushButton*>()->click();
        stillShownAfterCancel = dialog.isVisible();
        stoppingLabel = dialog.labelText();
    });

    EXPECT_TRUE(modal);
    EXPECT_FALSE(listTookClick);
    EXPECT_EQ(label, "已搜索 4 个文件夹，检查 7 个 .doc 文件，找到 3 个符合要求的文件");
    EXPECT_TRUE(stillShownAfterCancel);
    EXPECT_EQ(stoppingLabel, "正在停止搜索……");
    EXPECT_TRUE(walk.stopped_);
    EXPECT_TRUE(walk.onOtherThread_);
    EXPECT_EQ(walk.folder_, "/w");
    EXPECT_EQ(walk.types_, scan::DocumentTypes());
    EXPECT_GE(walk.jobs_, 1U);
    EXPECT_EQ(view.findChild<QProgressDialog*>(), nullptr);

    ASSERT_EQ(view.Results().rowCount(), 3);
    EXPECT_EQ(view.Results().CellText(1, 1), "/w/sub/2.doc");
    EXPECT_EQ(view.Results().CellText(2, 0), "3");
    ASSERT_EQ(view.NotExaminedFiles().size(), 1U);
    EXPECT_EQ(view.NotExaminedFiles()[0].reason, NotSearchedReason(scan::FileRefusal::Locked));
    ASSERT_EQ(desktop.messages.size(), 1U);
    EXPECT_EQ(desktop.messages[0].text,
              "搜索已取消，已找到 3 个符合要求的文件。\n另有 1 个 .doc 文件未能检查，详见状态栏。");
}

TEST_F(SearchProgressTest, CountsTheDocumentsCheckedAsTheTypesSearchedForSay) {
    const std::vector<std::pair<scan::DocumentTypes, QString>> cases{
        {{}, "已搜索 4 个文件夹，检查 7 个 .doc 文件，找到 3 个符合要求的文件"},
        {scan::DocumentTypes::All(), "已搜索 4 个文件夹，检查 7 个文件，找到 3 个符合要求的文件"},
    };
    for (const auto& [types, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        view.SetSearchChoice({.types = types});
        desktop.folderAnswers = {QStringLiteral("/w")};
        QString label;
        SearchWhile([&](QProgressDialog& dialog) {
            label = dialog.labelText();
            dialog.close();
        });
        EXPECT_EQ(label, expected);
    }
}

TEST_F(SearchProgressTest, EscapeAndClosingOnlyAskTheWalkToStop) {
    const std::vector<std::pair<const char*, std::function<void(QProgressDialog&)>>> ways{
        {"escape", [](QProgressDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"close", [](QProgressDialog& dialog) { dialog.close(); }},
    };
    for (const auto& [name, stop] : ways) {
        SCOPED_TRACE(name);
        desktop.folderAnswers = {QStringLiteral("/w")};
        bool stillShown = false;
        SearchWhile([&](QProgressDialog& dialog) {
            stop(dialog);
            stillShown = dialog.isVisible();
        });
        EXPECT_TRUE(stillShown);
        EXPECT_TRUE(walk.stopped_);
        EXPECT_EQ(view.Results().rowCount(), 3);
    }
    EXPECT_EQ(desktop.messages.size(), 2U);
}

TEST_F(SearchProgressTest, AFailingWalkKeepsTheRowsFoundAndSaysWhyItEndedInTheSummary) {
    const std::vector<std::pair<const char*, std::function<void(scan::SearchSink&)>>> failures{
        {"told to the sink", [](scan::SearchSink& sink) { sink.NoteSearchFailed("walk failed"); }},
        {"thrown", [](scan::SearchSink&) { throw std::runtime_error("walk failed"); }},
    };
    for (const auto& [name, fail] : failures) {
        SCOPED_TRACE(name);
        desktop.folderAnswers = {QStringLiteral("/w")};
        desktop.messages.clear();
        view.SetFolderSearch([&fail](const fs::path&, scan::SearchSink& sink,
                                     const scan::SearchOptions&) -> scan::SearchProgress {
            sink.AddResultRow(RowFor("/w/1.doc"));
            fail(sink);
            return {};
        });
        view.OnSearchFolder();
        EXPECT_EQ(view.Results().rowCount(), 1);
        ASSERT_EQ(desktop.messages.size(), 1U);
        EXPECT_EQ(desktop.messages[0].text,
                  "搜索因错误提前结束（walk failed），已找到 1 个符合要求的文件。");
    }
}

}  // namespace
}  // namespace kalvor::results
