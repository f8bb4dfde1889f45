#pragma once

#include <QDialog>

namespace kalvor::app {

// The About box, laid out as dialog template 100 stores it: the application icon, the name and
// version, a rights line, the note on which documents can be processed, and "确定".
class CAboutDlg final : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* owner = nullptr);
};

}  // namespace kalvor::app
