#include "results/background_run.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProgressDialog>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace kalvor::results {

namespace {

using namespace std::chrono_literals;

constexpr auto kPollInterval = 50ms;
// A dialog that flashes up for a moment is only noise; a short run just shows the busy cursor.
constexpr auto kDialogDelay = 500ms;

// Stays up until the work has ended: Escape and the close button only ask it to stop.
class BackgroundProgressDialog final : public QProgressDialog {
  public:
    BackgroundProgressDialog(QWidget* owner, const BackgroundTexts& texts)
        : QProgressDialog(owner) {
        setWindowModality(Qt::WindowModal);
        setWindowTitle(texts.title);
        setCancelButtonText(QStringLiteral("取消"));
        setRange(0, 0);
        setMinimumDuration(0);
        setAutoReset(false);
        setAutoClose(false);
        // Drops the built-in reaction, cancel(), which would hide the dialog at once.
        disconnect(this, &QProgressDialog::canceled, this, nullptr);
        setLabelText(texts.widest);
        setFixedWidth(sizeHint().width());
    }

    void reject() override { emit canceled(); }

    void Show(const BackgroundProgress& progress) {
        setLabelText(progress.label);
        setRange(0, progress.total);
        setValue(progress.done);
    }

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

}  // namespace

bool RunInBackground(QWidget* owner, const BackgroundTexts& texts,
                     const std::function<void()>& work,
                     const std::function<BackgroundProgress()>& poll,
                     const std::function<void()>& requestStop) {
    const OverrideCursor busy;
    bool stopping = false;
    // Set by the worker and seen at the next tick: nothing crosses threads through Qt's queues,
    // whose locking the thread sanitizer cannot see.
    std::atomic<bool> finished = false;
    std::unique_ptr<BackgroundProgressDialog> dialog;
    BackgroundProgress progress;
    QEventLoop loop;

    QTimer ticks;
    ticks.setInterval(kPollInterval);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        progress = poll();
        if (dialog && !stopping) {
            dialog->Show(progress);
        }
        if (finished) {
            loop.quit();
        }
    });

    std::thread worker([&] {
        work();
        finished = true;
    });
    ticks.start();

    // Until the dialog shows, input waits as it would for a window that is busy, so nothing can
    // act on the window while the work runs.
    QTimer delay;
    delay.setSingleShot(true);
    QObject::connect(&delay, &QTimer::timeout, &loop, &QEventLoop::quit);
    delay.start(kDialogDelay);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    delay.stop();
    if (!finished) {
        dialog = std::make_unique<BackgroundProgressDialog>(owner, texts);
        dialog->Show(progress);
        QObject::connect(dialog.get(), &QProgressDialog::canceled, dialog.get(), [&] {
            if (!stopping) {
                stopping = true;
                requestStop();
                dialog->setLabelText(texts.stopping);
            }
        });
        dialog->show();
        loop.exec();
    }
    // The loop also ends when the application quits; the work must not outlive this call.
    if (!finished) {
        requestStop();
    }
    worker.join();
    ticks.stop();
    poll();
    return stopping;
}

}  // namespace kalvor::results
