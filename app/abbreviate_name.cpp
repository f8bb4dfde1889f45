#include "app/abbreviate_name.h"

#include <QDir>

namespace kalvor::app {

namespace {

// Where the volume part of `path` ends: at the separator after a drive ("C:"), after the server
// of a UNC path ("\\server"), or at the root of a POSIX path.
qsizetype VolumeEnd(const QString& path, QChar separator) {
    if (path.startsWith(QString(2, separator))) {
        return path.indexOf(separator, 2);
    }
    if (path.size() >= 2 && path[1] == u':') {
        return 2;
    }
    return 0;
}

}  // namespace

QString AbbreviateName(const QString& path, int maxLength, bool atLeastName) {
    const QChar separator = QDir::separator();
    const qsizetype nameStart = path.lastIndexOf(separator) + 1;
    const qsizetype nameLength = path.size() - nameStart;
    if (maxLength >= path.size()) {
        return path;
    }
    if (maxLength < nameLength) {
        return atLeastName ? path.mid(nameStart) : QString();
    }

    qsizetype current = VolumeEnd(path, separator);
    if (current < 0 || current >= nameStart) {
        return path.mid(nameStart);
    }
    if (nameStart > current + 1) {
        current = path.indexOf(separator, current + 1);  // keep the first folder (or the share)
    }
    const qsizetype volumeLength = current;
    if (maxLength < volumeLength + 5 + nameLength) {
        return path.mid(nameStart);
    }
    while (volumeLength + 4 + (path.size() - current) > maxLength) {
        current = path.indexOf(separator, current + 1);
    }
    return path.left(volumeLength) + separator + QStringLiteral("...") + path.mid(current);
}

}  // namespace kalvor::app
