#pragma once

#include <QString>
#include <functional>

class QDialog;
class QFileDialog;
class QWidget;

namespace kalvor::app {

// The blocking dialogs of the shell. Tests install hooks so that the window can be driven
// without them; an empty hook means the real dialog.
struct ShellHooks {
    std::function<QString(QWidget* owner, const QString& title, const QString& proposedName,
                          const QString& filter)>
        promptSaveFileName;
    std::function<void(QWidget* owner, const QString& text, const QString& caption)> showError;
    std::function<int(QDialog& dialog)> runModal;
    std::function<bool(QWidget* owner, const QString& text, const QString& caption)> askYesNo;
};

// Installs `hooks` and returns the ones they replace.
ShellHooks InstallShellHooks(ShellHooks hooks);

// The save dialog: titled "另存为", the one filter "所有文件(*.*)", `proposedName` filled in, an
// existing name to be confirmed first. The chosen path, or empty when cancelled.
QString PromptSaveFileName(QWidget* owner, const QString& proposedName);

// Makes the filter "所有文件(*.*)" of `dialog` list every file, with a dot in its name or not.
void MatchEveryName(QFileDialog& dialog);

// The framework's error box: `text`, the application name as caption, the exclamation icon and
// one button "确定".
void ShowError(QWidget* owner, const QString& text);

// A question with the buttons "是(&Y)" and "否(&N)", the application name as caption and "否" as
// the default: true only when the user chose "是".
bool AskYesNo(QWidget* owner, const QString& text);

// Runs `dialog` modally and returns its result.
int RunModal(QDialog& dialog);

}  // namespace kalvor::app
