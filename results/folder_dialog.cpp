#include "results/folder_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QToolButton>

#include "results/chinese_file_list.h"

namespace kalvor::results {

namespace {

QString& LastPickedFolder() {
    static QString folder;
    return folder;
}

}  // namespace

QString PickerStartFolder() {
    if (!LastPickedFolder().isEmpty()) {
        return LastPickedFolder();
    }
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    return QFileInfo(desktop).isDir() ? desktop : QDir::homePath();
}

void RememberPickedFolder(const QString& folder) {
    LastPickedFolder() = folder;
}

std::unique_ptr<QFileDialog> MakeFolderDialog(const QString& title, bool allowNewFolder) {
    auto dialog = std::make_unique<QFileDialog>(nullptr, title, PickerStartFolder());
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    ShowFileListInChinese(*dialog);
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
