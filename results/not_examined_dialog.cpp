#include "results/not_examined_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "results/path_text.h"

namespace kalvor::results {

NotExaminedDialog::NotExaminedDialog(const std::vector<NotExaminedFile>& files, QWidget* parent)
    : QDialog(parent), table_(new QTableWidget(static_cast<int>(files.size()), 2, this)) {
    const bool withFolders = std::any_of(files.begin(), files.end(), IsUnlistedFolder);
    setWindowTitle(withFolders ? QStringLiteral("未能检查的 .doc 文件和文件夹")
                               : QStringLiteral("未能检查的 .doc 文件"));
    table_->setHorizontalHeaderLabels(
        {withFolders ? QStringLiteral("文件或文件夹") : QStringLiteral("文件"),
         QStringLiteral("原因")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const NotExaminedFile& file = files[static_cast<std::size_t>(row)];
        table_->setItem(row, 0, new QTableWidgetItem(DisplayText(file.path)));
        table_->setItem(row, 1,
                        new QTableWidgetItem(QString::fromUtf8(scan::DescribeReason(file.reason))));
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(760, 420);
}

}  // namespace kalvor::results
