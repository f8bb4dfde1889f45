#pragma once

#include <QFileDialog>
#include <memory>

namespace kalvor::results {

// The folder picker's dialog: folders only, Qt's own dialog so that the new-folder button can be
// taken away, which a platform dialog does not allow.
std::unique_ptr<QFileDialog> MakeFolderDialog(const QString& title, bool allowNewFolder);

}  // namespace kalvor::results
