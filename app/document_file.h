#pragma once

#include <QString>

class QFileInfo;

namespace kalvor::app {

enum class FileError {
    None,
    BadPath,       // the file or its folder does not exist
    AccessDenied,  // no permission, or a read-only file
    Generic,       // anything else, e.g. not a regular file
};

// Whether `file` is marked read-only for this user. Running as root, only a file without any
// write bit counts, since root may write the others.
bool IsReadOnly(const QFileInfo& file);

// Opens the document file at `path` for reading and closes it again without reading a byte.
FileError OpenDocumentFileForReading(const QString& path);

// Creates `path` or truncates it to zero bytes. Refuses what is not a regular file, so that a
// FIFO never blocks the window and a device is never written, and a read-only file.
FileError WriteEmptyDocumentFile(const QString& path);

// The message the framework shows for `error` on the file at `path`.
QString FileErrorMessage(FileError error, const QString& path, bool saving);

}  // namespace kalvor::app
