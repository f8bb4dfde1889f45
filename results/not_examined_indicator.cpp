#include "results/not_examined_indicator.h"

#include <algorithm>
#include <iterator>

#include "results/not_examined_dialog.h"

namespace kalvor::results {

NotExaminedIndicator::NotExaminedIndicator(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setToolTip(QStringLiteral("查看未能检查的文件及原因"));
    hide();
    connect(this, &QToolButton::clicked, this, &NotExaminedIndicator::OpenList);
}

void NotExaminedIndicator::ShowReport(const std::vector<NotExaminedFile>& files) {
    files_ = files;
    if (files_.empty()) {
        hide();
        return;
    }
    const auto folders = std::count_if(files_.begin(), files_.end(), IsUnlistedFolder);
    QString text = QStringLiteral("%1 个 .doc 文件未能检查").arg(std::ssize(files_) - folders);
    if (folders > 0) {
        text += QStringLiteral("，%1 个文件夹未能搜索").arg(folders);
    }
    setText(text);
    show();
}

void NotExaminedIndicator::Clear() {
    ShowReport({});
}

void NotExaminedIndicator::OpenList() {
    if (files_.empty()) {
        return;
    }
    auto* dialog = new NotExaminedDialog(files_, window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace kalvor::results
