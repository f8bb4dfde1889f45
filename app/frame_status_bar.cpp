#include "app/frame_status_bar.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <algorithm>

#include "res/resource.h"
#include "res/string_table.h"

namespace kalvor::app {

namespace {

bool IsOn(const LockKeyState& state, unsigned indicator) {
    switch (indicator) {
        case ID_INDICATOR_CAPS:
            return state.capsLock;
        case ID_INDICATOR_NUM:
            return state.numLock;
        case ID_INDICATOR_SCRL:
            return state.scrollLock;
        default:
            return false;
    }
}

}  // namespace

FrameStatusBar::FrameStatusBar(std::span<const unsigned> indicators, LockKeyQuery query,
                               QWidget* parent)
    : QStatusBar(parent), query_(std::move(query)) {
    for (const unsigned id : indicators) {
        if (id == ID_SEPARATOR) {
            messagePane_ = new QLabel(res::LoadString(AFX_IDS_IDLEMESSAGE), this);
            addWidget(messagePane_, 1);
            continue;
        }
        auto* pane = new QLabel(this);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(res::LoadString(id)) +
                              2 * pane->frameWidth() + pane->fontMetrics().averageCharWidth());
        addPermanentWidget(pane);
        indicators_.push_back({id, pane});
    }
    qApp->installEventFilter(this);
    UpdateIndicators();
}

QString FrameStatusBar::IdleText() const {
    return messagePane_ != nullptr ? messagePane_->text() : QString();
}

QString FrameStatusBar::IndicatorText(unsigned id) const {
    const auto indicator = std::ranges::find(indicators_, id, &Indicator::id);
    return indicator == indicators_.end() ? QString() : indicator->pane->text();
}

void FrameStatusBar::AddPane(QWidget* pane) {
    insertPermanentWidget(messagePane_ != nullptr ? 1 : 0, pane);
}

void FrameStatusBar::UpdateIndicators() {
    const LockKeyState state = query_();
    for (const Indicator& indicator : indicators_) {
        indicator.pane->setText(IsOn(state, indicator.id) ? res::LoadString(indicator.id)
                                                          : QString());
    }
}

bool FrameStatusBar::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ApplicationActivate:
            UpdateIndicators();
            break;
        default:
            break;
    }
    return QStatusBar::eventFilter(watched, event);
}

}  // namespace kalvor::app
