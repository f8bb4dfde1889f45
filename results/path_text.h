#pragma once

#include <QString>
#include <filesystem>

namespace kalvor::results {

// A folder as a dialog returned it, for the file system. A dialog shows each byte of a name that is
// not UTF-8 as U+FFFD; such a name is found again among its folder's entries, by the text they
// show, when exactly one shows it.
std::filesystem::path PathFromText(const QString& text);

// A path for display only: bytes that are not valid UTF-8 show as replacement characters.
QString DisplayText(const std::filesystem::path& path);

// A path as the results list shows it: report::PathCellOf's, as the list's text.
struct ShownPath {
    QString text;
    bool escaped = false;
};
ShownPath ShowPath(const std::filesystem::path& path);

// False for a cancelled picker and for a path too short to name a folder; the root folder of a
// POSIX system is one character long and still a folder.
bool IsUsableFolder(const QString& path);

}  // namespace kalvor::results
