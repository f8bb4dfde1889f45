#pragma once

#include <QString>

class QDialog;
class QFileDialog;
class QWidget;

namespace kalvor::app {

// The blocking dialogs of the shell; tests replace them through results::InstallDesktopHooks.

// The save dialog: titled "另存为", the one filter "所有文件(*.*)", `proposedName` filled in (a
// name without a folder in the documents folder, else home), an existing name to be confirmed
// first. The chosen path, or empty when cancelled.
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
