#include "results/folder_dialog.h"

#include <QToolButton>

namespace kalvor::results {

std::unique_ptr<QFileDialog> MakeFolderDialog(const QString& title, bool allowNewFolder) {
    auto dialog = std::make_unique<QFileDialog>(nullptr, title);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (!allowNewFolder) {
        // Read-only also drops "New Folder" from the dialog's context menu.
        dialog->setOption(QFileDialog::ReadOnly);
        if (auto* button = dialog->findChild<QToolButton*>(QStringLiteral("newFolderButton"))) {
            button->hide();
        }
    }
    return dialog;
}

}  // namespace kalvor::results
