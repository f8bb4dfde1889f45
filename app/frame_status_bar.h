#pragma once

#include <QStatusBar>
#include <span>
#include <vector>

#include "app/lock_keys.h"

class QLabel;

namespace kalvor::app {

// The status bar of the main frame: the message pane, which reads the idle text while no
// prompt is shown, and one pane per lock-key indicator, sized to its text and showing it while
// that lock is on.
class FrameStatusBar final : public QStatusBar {
    Q_OBJECT

  public:
    FrameStatusBar(std::span<const unsigned> indicators, LockKeyQuery query,
                   QWidget* parent = nullptr);

    QString IdleText() const;
    // What the pane of indicator `id` shows now: its text or nothing.
    QString IndicatorText(unsigned id) const;

    // Adds `pane` to the right end of the bar, before the indicators.
    void AddPane(QWidget* pane);

    // Reads the lock states again; the panes follow key presses and the window's activation by
    // themselves.
    void UpdateIndicators();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Indicator {
        unsigned id;
        QLabel* pane;
    };

    LockKeyQuery query_;
    QLabel* messagePane_ = nullptr;
    std::vector<Indicator> indicators_;
};

}  // namespace kalvor::app
