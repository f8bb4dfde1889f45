#pragma once

#include <QDialog>
#include <vector>

#include "results/not_examined.h"

class QTableWidget;

namespace kalvor::results {

// Lists the documents a search could not examine and the folders it could not list, each with the
// reason.
class NotExaminedDialog final : public QDialog {
    Q_OBJECT

  public:
    NotExaminedDialog(const std::vector<NotExaminedFile>& files, QWidget* parent);

    const QTableWidget& Table() const { return *table_; }

  private:
    QTableWidget* table_;
};

}  // namespace kalvor::results
