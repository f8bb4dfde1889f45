#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>

#include "results/cell_tip_delegate.h"

class QAbstractItemView;

namespace kalvor::results {

// Hot tracking for a list: the row under the pointer is highlighted, and it becomes the
// selection once the pointer has rested on it for `delay` without a click.
class RowHover final : public QObject {
    Q_OBJECT

  public:
    RowHover(QAbstractItemView* view, std::chrono::milliseconds delay);

    int HoveredRow() const { return hoveredRow_; }
    // Forgets the hovered row, as when the rows under the pointer went away.
    void Clear() { SetHoveredRow(-1); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetHoveredRow(int row);
    void SelectHoveredRow();

    QAbstractItemView* view_;
    QTimer restTimer_;
    int hoveredRow_ = -1;
};

// Paints the hovered row of a RowHover in a pale highlight, and no focus frame of a cell of its
// own: the view frames the whole current row.
class RowHoverDelegate final : public CellTipDelegate {
    Q_OBJECT

  public:
    RowHoverDelegate(const RowHover& hover, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const RowHover& hover_;
};

}  // namespace kalvor::results
