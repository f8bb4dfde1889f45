#include "app/shell_hooks.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "res/resource.h"
#include "res/string_table.h"

namespace kalvor::app {

namespace {

ShellHooks& Hooks() {
    static ShellHooks hooks;
    return hooks;
}

}  // namespace

void MatchEveryName(QFileDialog& dialog) {
#ifndef Q_OS_WIN
    // "*.*" means every file on Windows, but only names with a dot elsewhere. The filter keeps
    // its text; Qt's own dialog, whose list it can reach, lists every name under it.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (auto* files = dialog.findChild<QFileSystemModel*>()) {
        files->setNameFilters({});
    }
#else
    Q_UNUSED(dialog);
#endif
}

ShellHooks InstallShellHooks(ShellHooks hooks) {
    return std::exchange(Hooks(), std::move(hooks));
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
