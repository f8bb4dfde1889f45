#include "app/shell_dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

#include "platform/file_name_rules.h"
#include "res/resource.h"
#include "res/string_table.h"
#include "results/chinese_file_list.h"
#include "results/desktop_seams.h"

namespace kalvor::app {

namespace {

const results::DesktopHooks& Hooks() {
    return results::InstalledDesktopHooks();
}

// Where a name without a folder is saved: the documents folder where there is one, else home,
// rather than wherever the program happened to be started.
QString FolderForNewFile() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

}  // namespace

void MatchEveryName(QFileDialog& dialog) {
    if (platform::StarDotStarMatchesEveryName()) {
        return;
    }
    // The filter keeps its text; Qt's own dialog, whose list it can reach, lists every name
    // under it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (auto* files = dialog.findChild<QFileSystemModel*>()) {
        files->setNameFilters({});
    }
}

QString PromptSaveFileName(QWidget* owner, const QString& proposedName) {
    const QString title = res::LoadString(AFX_IDS_SAVEFILE);
    const QString filter = res::LoadString(AFX_IDS_ALLFILTER);
    if (Hooks().promptSaveFileName) {
        return Hooks().promptSaveFileName(owner, title, proposedName, filter);
    }
    QFileDialog dialog(owner, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    MatchEveryName(dialog);
    results::ShowFileListInChinese(dialog);
    if (QFileInfo(proposedName).isRelative()) {
        dialog.setDirectory(FolderForNewFile());
    }
    dialog.selectFile(proposedName);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

void ShowError(QWidget* owner, const QString& text) {
    const QString caption = res::LoadString(AFX_IDS_APP_TITLE);
    if (Hooks().showError) {
        Hooks().showError(owner, text, caption);
        return;
    }
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::NoButton, owner);
    box.setDefaultButton(box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole));
    box.exec();
}

bool AskYesNo(QWidget* owner, const QString& text) {
    const QString caption = res::LoadString(AFX_IDS_APP_TITLE);
    if (Hooks().askYesNo) {
        return Hooks().askYesNo(owner, text, caption);
    }
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, owner);
    QPushButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
    box.setDefaultButton(box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole));
    box.exec();
    return box.clickedButton() == yes;
}

int RunModal(QDialog& dialog) {
    if (Hooks().runModal) {
        return Hooks().runModal(dialog);
    }
    return dialog.exec();
}

}  // namespace kalvor::app
