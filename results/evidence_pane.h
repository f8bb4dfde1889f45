#pragma once

#include <QTextEdit>

#include "scan/result_row.h"

class QAbstractItemView;

namespace kalvor::results {

class ResultsModel;

// Below the list: why the one selected row was listed, hit by hit (its grade, its place and its
// context, the marking set off), and how its file was read when not as every file is. Read-only;
// it never changes the list.
class EvidencePane final : public QTextEdit {
    Q_OBJECT

  public:
    explicit EvidencePane(QWidget* parent = nullptr);

    // Shows the evidence of `row`, or nothing for none.
    void ShowRow(const scan::ResultRow* row);

    // From now on shows the row selected in `list`, whose model is `rows`, while exactly one is:
    // with several, any one row's evidence would pass for the whole selection's.
    void Follow(const QAbstractItemView& list, const ResultsModel& rows);

    // A few hits high.
    QSize sizeHint() const override;

  private:
    void ShowSelectedRow(const QAbstractItemView& list, const ResultsModel& rows);
};

}  // namespace kalvor::results
