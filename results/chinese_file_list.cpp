#include "results/chinese_file_list.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QIdentityProxyModel>
#include <QLocale>

namespace kalvor::results {

namespace {

// The columns of a file system model: name, size, type, date modified.
constexpr int kTypeColumn = 2;
constexpr int kModifiedColumn = 3;

class ChineseFileColumns final : public QIdentityProxyModel {
  public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex& index, int role) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || files == nullptr) {
            return QIdentityProxyModel::data(index, role);
        }
        const QModelIndex source = mapToSource(index);
        switch (index.column()) {
            case kTypeColumn:
                if (files->isDir(source)) {
                    return QStringLiteral("文件夹");
                }
                break;
            case kModifiedColumn:
                return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
            default:
                break;
        }
        return QIdentityProxyModel::data(index, role);
    }
};

}  // namespace

void ShowFileListInChinese(QFileDialog& dialog) {
    dialog.setProxyModel(new ChineseFileColumns(&dialog));
}

}  // namespace kalvor::results
