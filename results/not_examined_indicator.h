#pragma once

#include <QToolButton>
#include <vector>

#include "results/not_examined.h"

namespace kalvor::results {

// The status-bar note on how many documents the last search could not examine and how many folders
// it could not list; a click lists them with the reasons.
class NotExaminedIndicator final : public QToolButton {
    Q_OBJECT

  public:
    explicit NotExaminedIndicator(QWidget* parent = nullptr);

    // Shows the note when `files`, of a search for `types`, holds anything, else hides it.
    void ShowReport(const std::vector<NotExaminedFile>& files,
                    const scan::DocumentTypes& types = {});
    // Hides the note of the last search, as a new one begins.
    void Clear();

  private:
    void OpenList();

    std::vector<NotExaminedFile> files_;
    scan::DocumentTypes types_;
};

}  // namespace kalvor::results
