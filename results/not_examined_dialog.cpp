#include "results/not_examined_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QStringList>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "results/action_error.h"
#include "results/cell_tip_delegate.h"
#include "results/desktop_seams.h"
#include "results/path_text.h"

namespace kalvor::results {

namespace {

enum RowCommand : unsigned { kOpenFolder = 1, kCopyPath };

}  // namespace

NotExaminedDialog::NotExaminedDialog(const std::vector<NotExaminedFile>& files,
                                     const scan::DocumentTypes& types, QWidget* parent)
    : QDialog(parent),
      files_(files),
      table_(new QTableWidget(static_cast<int>(files.size()), 2, this)) {
    const bool withFolders = std::any_of(files.begin(), files.end(), IsUnlistedFolder);
    setWindowTitle(QStringLiteral("未能检查的%1").arg(DocumentsNoun(types)) +
                   (withFolders ? QStringLiteral("和文件夹") : QString()));
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
        table_->setItem(row, 1, new QTableWidgetItem(QString::fromStdString(ReasonText(file))));
    }

    table_->setItemDelegate(new CellTipDelegate(table_));
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(table_, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        OnRightClick(table_->viewport()->mapToGlobal(position));
    });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(760, 420);
}

void NotExaminedDialog::OnRightClick(const QPoint& globalPosition) {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    QMenu menu(this);
    menu.addAction(QStringLiteral("打开所在文件夹"))->setData(kOpenFolder);
    menu.addAction(QStringLiteral("复制路径"))->setData(kCopyPath);
    const QAction* chosen = PopupMenu(menu, globalPosition);
    if (chosen == nullptr) {
        return;
    }
    if (chosen->data().toUInt() == kOpenFolder) {
        OpenFolders(rows);
    } else {
        CopyPaths(rows);
    }
}

std::vector<int> NotExaminedDialog::SelectedRows() const {
    std::vector<int> rows;
    for (const QModelIndex& index : table_->selectionModel()->selectedRows()) {
        rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void NotExaminedDialog::OpenFolders(const std::vector<int>& rows) {
    // Each folder once, however many of its entries are selected.
    std::vector<std::filesystem::path> folders;
    QStringList failed;
    for (const int row : rows) {
        const std::filesystem::path folder =
            files_[static_cast<std::size_t>(row)].path.parent_path();
        if (std::find(folders.begin(), folders.end(), folder) != folders.end()) {
            continue;
        }
        folders.push_back(folder);
        std::error_code error;
        if (!std::filesystem::is_directory(folder, error)) {
            error = ActionError::FolderGone;
        } else if (!OpenWithShell(folder)) {
            error = ActionError::NoApplication;
        }
        if (error) {
            failed << QStringLiteral("%1：%2").arg(DisplayText(folder), ReasonText(error));
        }
    }
    if (!failed.isEmpty()) {
        failed.prepend(QStringLiteral("以下 %1 个文件夹未能打开：").arg(failed.size()));
        ShowWarning(this, failed.join(u'\n'), QStringLiteral("打开所在文件夹"));
    }
}

void NotExaminedDialog::CopyPaths(const std::vector<int>& rows) {
    QStringList paths;
    for (const int row : rows) {
        paths << DisplayText(files_[static_cast<std::size_t>(row)].path);
    }
    if (!CopyToClipboard(paths.join(u'\n'))) {
        ShowWarning(this,
                    QStringLiteral("未能复制 %1 个路径：%2")
                        .arg(paths.size())
                        .arg(ReasonText(ActionError::ClipboardUnavailable)),
                    QStringLiteral("复制路径"));
    }
}

}  // namespace kalvor::results
