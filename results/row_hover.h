#pragma once

#include <QObject>
#include <QStyledItemDelegate>
#include <QTimer>
#include <chrono>

class QAbstractItemView;

namespace kalvor::results {

// Hot tracking for a list: the row under the pointer is highlighted, and it becomes the
// selection once the pointer has rested on it for `delay` without a click.
class RowHover final : public QObject {
    Q_OBJECT

  public:
    RowHover(QAbstractItemView* view, std::chrono::milliseconds delay);

    int HoveredRow() const { return hoveredRow_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void SetHoveredRow(int row);
    void SelectHoveredRow();

    QAbstractItemView* view_;
    QTimer restTimer_;
    int hoveredRow_ = -1;
};

// Paints the hovered row of a RowHover in a pale highlight.
class RowHoverDelegate final : public QStyledItemDelegate {
    Q_OBJECT

  public:
    RowHoverDelegate(const RowHover& hover, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

  private:
    const RowHover& hover_;
};

}  // namespace kalvor::results
