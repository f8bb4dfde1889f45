#include "results/cell_tip_delegate.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

namespace kalvor::results {

bool CellTipDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip) {
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
    if (const QString tip = index.data(Qt::ToolTipRole).toString(); !tip.isEmpty()) {
        QToolTip::showText(event->globalPos(), tip, view, option.rect);
    } else if (sizeHint(option, index).width() > option.rect.width()) {
        QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view,
                           option.rect);
    } else {
        QToolTip::hideText();
    }
    return true;
}

}  // namespace kalvor::results
