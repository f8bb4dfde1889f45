#include "app/document_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/write_permission.h"
#include "res/resource.h"
#include "res/string_table.h"

namespace kalvor::app {

namespace {

// Why opening `file` failed, as far as its metadata tells.
FileError ClassifyFailure(const QFileInfo& file, bool writing) {
    if (!file.exists()) {
        if (!writing || !file.dir().exists()) {
            return FileError::BadPath;
        }
        return QFileInfo(file.path()).isWritable() ? FileError::Generic : FileError::AccessDenied;
    }
    if (!file.isFile()) {
        return FileError::Generic;
    }
    const bool permitted = writing ? !IsReadOnly(file) : file.isReadable();
    return permitted ? FileError::Generic : FileError::AccessDenied;
}

}  // namespace

bool IsReadOnly(const QFileInfo& file) {
    constexpr QFileDevice::Permissions kWriteBits =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return platform::IsReadOnlyForUser(file.isWritable(), (file.permissions() & kWriteBits) != 0);
}

FileError OpenDocumentFileForReading(const QString& path) {
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        return ClassifyFailure(info, false);
    }
    return FileError::None;
}

FileError WriteEmptyDocumentFile(const QString& path) {
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || IsReadOnly(info))) {
        return ClassifyFailure(info, true);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        return ClassifyFailure(QFileInfo(path), true);
    }
    file.close();
    return file.error() == QFileDevice::NoError ? FileError::None : FileError::Generic;
}

QString FileErrorMessage(FileError error, const QString& path, bool saving) {
    const QString name = QFileInfo(path).fileName();
    switch (error) {
        case FileError::BadPath:
            return res::LoadString(AFX_IDP_FAILED_INVALID_PATH).arg(name);
        case FileError::AccessDenied:
            return res::LoadString(saving ? AFX_IDP_FAILED_ACCESS_WRITE
                                          : AFX_IDP_FAILED_ACCESS_READ)
                .arg(name);
        case FileError::None:
        case FileError::Generic:
            break;
    }
    return res::LoadString(saving ? AFX_IDP_FAILED_TO_SAVE_DOC : AFX_IDP_FAILED_TO_OPEN_DOC);
}

}  // namespace kalvor::app
