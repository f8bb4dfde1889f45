#include "results/row_hover.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QPainter>

namespace kalvor::results {

RowHover::RowHover(QAbstractItemView* view, std::chrono::milliseconds delay)
    : QObject(view), view_(view) {
    view_->setMouseTracking(true);
    view_->viewport()->installEventFilter(this);
    restTimer_.setSingleShot(true);
    restTimer_.setInterval(delay);
    connect(&restTimer_, &QTimer::timeout, this, &RowHover::SelectHoveredRow);
    connect(view_, &QAbstractItemView::entered, this,
            [this](const QModelIndex& index) { SetHoveredRow(index.row()); });
    connect(view_, &QAbstractItemView::viewportEntered, this, [this] { SetHoveredRow(-1); });
}

bool RowHover::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Leave:
            SetHoveredRow(-1);
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            // A click is the user's own choice of selection; the rest must not undo it.
            restTimer_.stop();
            break;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

void RowHover::SetHoveredRow(int row) {
    if (row == hoveredRow_) {
        return;
    }
    hoveredRow_ = row;
    view_->viewport()->update();
    if (row < 0) {
        restTimer_.stop();
    } else {
        restTimer_.start();
    }
}

void RowHover::SelectHoveredRow() {
    const QModelIndex index = view_->model()->index(hoveredRow_, 0);
    if (!index.isValid()) {
        return;
    }
    view_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

RowHoverDelegate::RowHoverDelegate(const RowHover& hover, QObject* parent)
    : CellTipDelegate(parent), hover_(hover) {}

void RowHoverDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    if (index.row() == hover_.HoveredRow() && !(option.state & QStyle::State_Selected)) {
        QColor tint = option.palette.color(QPalette::Highlight);
        tint.setAlpha(48);
        painter->fillRect(option.rect, tint);
    }
    QStyleOptionViewItem cell = option;
    cell.state &= ~QStyle::State_HasFocus;
    CellTipDelegate::paint(painter, cell, index);
}

}  // namespace kalvor::results
