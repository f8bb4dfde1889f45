#include "results/not_examined_indicator.h"

#include "results/not_examined_dialog.h"

namespace kalvor::results {

NotExaminedIndicator::NotExaminedIndicator(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setToolTip(QStringLiteral("查看未能检查的文件及原因"));
    hide();
    connect(this, &QToolButton::clicked, this, &NotExaminedIndicator::OpenList);
}

void NotExaminedIndicator::ShowReport(const std::vector<NotExaminedFile>& files,
                                      const scan::DocumentTypes& types) {
    files_ = files;
    types_ = types;
    if (files_.empty()) {
        hide();
        return;
    }
    setText(NotSearchedCounts(files_, types_));
    show();
}

void NotExaminedIndicator::Clear() {
    ShowReport({});
}

void NotExaminedIndicator::OpenList() {
    if (files_.empty()) {
        return;
    }
    auto* dialog = new NotExaminedDialog(files_, types_, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace kalvor::results
