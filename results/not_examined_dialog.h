#pragma once

#include <QDialog>
#include <vector>

#include "results/not_examined.h"

class QPoint;
class QTableWidget;

namespace kalvor::results {

// Lists the documents a search could not examine and the folders it could not list, each with the
// reason. A right click on rows offers to open the folders that hold them and to copy their paths.
class NotExaminedDialog final : public QDialog {
    Q_OBJECT

  public:
    // `files` of a search for `types`.
    NotExaminedDialog(const std::vector<NotExaminedFile>& files, const scan::DocumentTypes& types,
                      QWidget* parent);

    const QTableWidget& Table() const { return *table_; }

    // The rows' context menu at `globalPosition`, acting on the selected rows.
    void OnRightClick(const QPoint& globalPosition);

  private:
    std::vector<int> SelectedRows() const;
    void OpenFolders(const std::vector<int>& rows);
    void CopyPaths(const std::vector<int>& rows);

    std::vector<NotExaminedFile> files_;
    QTableWidget* table_;
};

}  // namespace kalvor::results
