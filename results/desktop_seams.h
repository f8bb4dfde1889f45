#pragma once

#include <QPoint>
#include <QString>
#include <filesystem>
#include <functional>

class QAction;
class QDialog;
class QMenu;
class QWidget;

namespace kalvor::results {

// The desktop facilities and blocking dialogs of the whole window, in one place. Tests install
// hooks so that the window can be driven without blocking dialogs; an empty hook means the real
// facility.
struct DesktopHooks {
    std::function<QString(const QString& title, bool allowNewFolder)> pickFolder;
    std::function<void(QWidget* parent, const QString& text, const QString& caption)> showMessage;
    std::function<bool(const std::filesystem::path& path)> openWithShell;
    std::function<QAction*(QMenu& menu, const QPoint& globalPosition)> popupMenu;
    std::function<void(QWidget* parent, const QString& text, const QString& caption)> showWarning;
    std::function<QString(QWidget* parent, const QString& title, const QString& proposedPath)>
        pickSaveFile;
    std::function<bool(const QString& text)> copyToClipboard;
    // The frame's and document's own dialogs.
    std::function<QString(QWidget* owner, const QString& title, const QString& proposedName,
                          const QString& filter)>
        promptSaveFileName;
    std::function<void(QWidget* owner, const QString& text, const QString& caption)> showError;
    std::function<int(QDialog& dialog)> runModal;
    std::function<bool(QWidget* owner, const QString& text, const QString& caption)> askYesNo;
};

// Installs `hooks` and returns the ones they replace.
DesktopHooks InstallDesktopHooks(DesktopHooks hooks);

// The hooks installed now.
const DesktopHooks& InstalledDesktopHooks();

// A folder chosen by the user, or empty when the dialog was cancelled.
QString PickFolder(const QString& title, bool allowNewFolder);

// A message box with an OK button and no icon; returns when it is closed.
void ShowMessage(QWidget* parent, const QString& text, const QString& caption);

// A message box with an OK button and the warning icon, for what went wrong; returns when it is
// closed. A long list of lines shows in full under the box's details.
void ShowWarning(QWidget* parent, const QString& text, const QString& caption);

// Opens a file with the desktop's default application, or a folder in the file manager. False
// when the desktop could not.
bool OpenWithShell(const std::filesystem::path& path);

// Shows `menu` at `globalPosition` and returns the chosen action, or nothing.
QAction* PopupMenu(QMenu& menu, const QPoint& globalPosition);

// Puts `text` on the clipboard. False when the clipboard did not take it (on Windows another
// program may hold it open).
bool CopyToClipboard(const QString& text);

// A name for a new CSV file, asked for with `proposedPath` filled in; replacing an existing file
// is confirmed first. Empty when the dialog was cancelled.
QString PickSaveFile(QWidget* parent, const QString& title, const QString& proposedPath);

}  // namespace kalvor::results
