#pragma once

#include <QFileDialog>
#include <memory>

namespace kalvor::results {

// The folder picker's dialog: folders only, Qt's own dialog so that the new-folder button can be
// taken away, which a platform dialog does not allow. It opens at PickerStartFolder().
std::unique_ptr<QFileDialog> MakeFolderDialog(const QString& title, bool allowNewFolder);

// Where a folder picker opens: the folder last picked while the program runs, else the user's
// desktop where there is one, else the home folder.
QString PickerStartFolder();

// Makes `folder` the one the next picker opens at.
void RememberPickedFolder(const QString& folder);

}  // namespace kalvor::results
