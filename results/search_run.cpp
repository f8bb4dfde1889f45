#include "results/search_run.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <thread>

#include "results/search_feed.h"

namespace kalvor::results {

namespace {

constexpr int kDeliveryIntervalMs = 50;

// Stays up until the walk has ended: Escape and the close button only ask the walk to stop.
class SearchProgressDialog final : public QProgressDialog {
  public:
    explicit SearchProgressDialog(QWidget* owner) : QProgressDialog(owner) {
        setWindowModality(Qt::WindowModal);
        setWindowTitle(QStringLiteral("正在搜索"));
        setCancelButtonText(QStringLiteral("取消"));
        setRange(0, 0);
        setMinimumDuration(0);
        setAutoReset(false);
        setAutoClose(false);
        // Drops the built-in reaction, cancel(), which would hide the dialog at once.
        disconnect(this, &QProgressDialog::canceled, this, nullptr);
    }

    void reject() override { emit canceled(); }

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        emit canceled();
    }
};

class OverrideCursor {
  public:
    OverrideCursor() { QGuiApplication::setOverrideCursor(Qt::BusyCursor); }
    ~OverrideCursor() { QGuiApplication::restoreOverrideCursor(); }
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;
};

scan::SearchOptions ParallelOptions() {
    return {.jobs = scan::DefaultJobs()};
}

QString ProgressText(const scan::SearchProgress& progress) {
    return QStringLiteral("已搜索 %1 个文件夹，检查 %2 个 .doc 文件，找到 %3 个符合要求的文件")
        .arg(progress.foldersListed)
        .arg(progress.documentsExamined)
        .arg(progress.documentsMarked);
}

}  // namespace

std::vector<NotExaminedFile> RunSearch(QWidget* owner, const std::filesystem::path& folder,
                                       const FolderWalk& walk,
                                       const std::function<void(const scan::ResultRow&)>& addRow) {
    const OverrideCursor busy;
    SearchFeed feed;
    std::vector<NotExaminedFile> notExamined;
    bool stopping = false;
    SearchProgressDialog dialog(owner);
    dialog.setLabelText(ProgressText({}));
    QObject::connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        feed.RequestStop();
        stopping = true;
        dialog.setLabelText(QStringLiteral("正在停止搜索……"));
    });

    const auto deliver = [&] {
        SearchNews news = feed.TakeNews();
        for (const scan::ResultRow& row : news.rows) {
            addRow(row);
        }
        std::move(news.notExamined.begin(), news.notExamined.end(),
                  std::back_inserter(notExamined));
        if (!stopping) {
            dialog.setLabelText(ProgressText(news.progress));
        }
    };
    QTimer delivery;
    delivery.setInterval(kDeliveryIntervalMs);
    QObject::connect(&delivery, &QTimer::timeout, &dialog, deliver);

    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            walk(folder, ".doc", feed, ParallelOptions());
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    dialog.show();
    delivery.start();
    loop.exec();
    // The loop also ends when the application quits; the walk must not outlive this call.
    feed.RequestStop();
    worker.join();
    delivery.stop();
    deliver();
    if (failure) {
        std::rethrow_exception(failure);
    }
    return notExamined;
}

}  // namespace kalvor::results
