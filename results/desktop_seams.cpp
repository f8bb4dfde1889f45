#include "results/desktop_seams.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <utility>

#include "platform/file_url.h"
#include "results/chinese_file_list.h"
#include "results/folder_dialog.h"
#include "results/warning_summary.h"

namespace kalvor::results {

namespace {

// More lines than this would make the box taller than a screen.
constexpr qsizetype kLinesInWarning = 20;

DesktopHooks& Hooks() {
    static DesktopHooks hooks;
    return hooks;
}

}  // namespace

DesktopHooks InstallDesktopHooks(DesktopHooks hooks) {
    return std::exchange(Hooks(), std::move(hooks));
}

const DesktopHooks& InstalledDesktopHooks() {
    return Hooks();
}

QString PickFolder(const QString& title, bool allowNewFolder) {
    if (Hooks().pickFolder) {
        return Hooks().pickFolder(title, allowNewFolder);
    }
    const auto dialog = MakeFolderDialog(title, allowNewFolder);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        return {};
    }
    RememberPickedFolder(dialog->selectedFiles().constFirst());
    return dialog->selectedFiles().constFirst();
}

void ShowMessage(QWidget* parent, const QString& text, const QString& caption) {
    if (Hooks().showMessage) {
        Hooks().showMessage(parent, text, caption);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box.exec();
}

void ShowWarning(QWidget* parent, const QString& text, const QString& caption) {
    if (Hooks().showWarning) {
        Hooks().showWarning(parent, text, caption);
        return;
    }
    const QString summary = WarningSummary(text, kLinesInWarning);
    QMessageBox box(QMessageBox::Warning, caption, summary, QMessageBox::Ok, parent);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    if (summary != text) {
        box.setDetailedText(text);
    }
    box.exec();
}

bool OpenWithShell(const std::filesystem::path& path) {
    if (Hooks().openWithShell) {
        return Hooks().openWithShell(path);
    }
    return QDesktopServices::openUrl(
        QUrl::fromEncoded(QByteArray::fromStdString(platform::FileUrl(path)), QUrl::StrictMode));
}

QAction* PopupMenu(QMenu& menu, const QPoint& globalPosition) {
    if (Hooks().popupMenu) {
        return Hooks().popupMenu(menu, globalPosition);
    }
    return menu.exec(globalPosition);
}

bool CopyToClipboard(const QString& text) {
    if (Hooks().copyToClipboard) {
        return Hooks().copyToClipboard(text);
    }
    // Qt reports no failure; a clipboard that did not take the text still holds what it held.
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(text);
    return clipboard->text() == text;
}

QString PickSaveFile(QWidget* parent, const QString& title, const QString& proposedPath) {
    if (Hooks().pickSaveFile) {
        return Hooks().pickSaveFile(parent, title, proposedPath);
    }
    QFileDialog dialog(parent, title);
    // Qt's own dialog, in Chinese like the folder picker; a platform's reads the session's
    // language.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ShowFileListInChinese(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("CSV 文件 (*.csv)"), QStringLiteral("所有文件 (*)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace kalvor::results
