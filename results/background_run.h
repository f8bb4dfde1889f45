#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace kalvor::results {

struct BackgroundTexts {
    QString title;     // of the progress dialog
    QString stopping;  // its label once the user asked to stop
    QString widest;    // the widest label it shows, so that it keeps one width throughout
};

// What the progress dialog shows at one moment.
struct BackgroundProgress {
    QString label;
    int done = 0;
    int total = 0;  // 0 when the work cannot tell how much there is: the bar only shows it goes on
};

// Runs `work` on a worker thread. Meanwhile this thread paints and runs timers but takes no input,
// `poll` runs every 50 ms and tells the progress, and once the work has lasted longer than about
// half a second a window-modal progress dialog over `owner` shows it and offers to cancel, which
// calls `requestStop` (Escape and the close button too; the dialog stays until the work ends).
// Returns once the work has ended and `poll` ran a last time: true when the user asked to stop.
// `work` must not let an exception escape.
bool RunInBackground(QWidget* owner, const BackgroundTexts& texts,
                     const std::function<void()>& work,
                     const std::function<BackgroundProgress()>& poll,
                     const std::function<void()>& requestStop);

}  // namespace kalvor::results
