#pragma once

class QFileDialog;

namespace kalvor::results {

// Makes the list of Qt's own file dialog read as the rest of the window does: dates in the
// default locale's form (the dialog writes them in the session's, which may be English) and a
// folder's type as 文件夹 (which Qt's Chinese translation leaves in English). A platform's own
// dialog is left as it is.
void ShowFileListInChinese(QFileDialog& dialog);

}  // namespace kalvor::results
