#pragma once

#include <QString>

namespace kalvor::app {

// `path` (full, native separators) shortened to at most `maxLength` characters: the volume (a
// drive or a server with its share, "/" on POSIX) and the first folder, then "...", then as many
// of the last folders as fit, then the file name. When even that does not fit: the file name
// alone, or nothing when `atLeastName` is false and the name itself is too long.
QString AbbreviateName(const QString& path, int maxLength, bool atLeastName);

}  // namespace kalvor::app
