#pragma once

#include <QDialog>
#include <string_view>
#include <utility>
#include <vector>

#include "results/search_choice.h"

class QCheckBox;
class QPushButton;

namespace kalvor::app {

// What the window's searches look for: a checkbox for each type of document this build reads,
// one for the wider match, one each for read-only documents and documents in use, "确定" and
// "取消". "确定" is grayed while no type is checked, since a
// search for no type could find nothing. The boxes carry the names kalvor-scan takes for them
// ("doc", "wide", "read-only", "in-use"), for tests and accessibility tools.
class CSearchTypesDlg final : public QDialog {
    Q_OBJECT

  public:
    explicit CSearchTypesDlg(const results::SearchChoice& choice, QWidget* owner = nullptr);

    // The choice as the boxes show it now.
    results::SearchChoice Choice() const;

  private:
    void UpdateOkButton();

    std::vector<std::pair<std::string_view, QCheckBox*>> types_;
    QCheckBox* wideMatch_ = nullptr;
    QCheckBox* readOnly_ = nullptr;
    QCheckBox* inUse_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace kalvor::app
