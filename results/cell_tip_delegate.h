#pragma once

#include <QStyledItemDelegate>

namespace kalvor::results {

// A delegate whose cells, when their text does not fit, show the whole text as a tooltip, as
// a native list does for a cut-off path; a cell with a tooltip of its own always shows that.
class CellTipDelegate : public QStyledItemDelegate {
    Q_OBJECT

  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
};

}  // namespace kalvor::results
