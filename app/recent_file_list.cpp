#include "app/recent_file_list.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <algorithm>

#include "app/abbreviate_name.h"
#include "app/recent_list_rules.h"
#include "platform/file_name_rules.h"

namespace kalvor::app {

namespace {

const QString kSection = QStringLiteral("Recent File List");
constexpr int kMaxDisplayLength = 30;

QString EntryKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

}  // namespace

QString FullPathName(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

bool SamePath(const QString& a, const QString& b) {
    return a.compare(
               b, platform::FileNamesIgnoreCase() ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0;
}

RecentFileList::RecentFileList(int size, QObject* parent) : QObject(parent), size_(size) {}

void RecentFileList::Add(const QString& path) {
    PutOnTop(entries_, FullPathName(path), static_cast<std::size_t>(std::max(size_, 0)), SamePath);
    emit Changed();
}

void RecentFileList::Remove(int index) {
    if (index < 0 || index >= entries_.size()) {
        return;
    }
    entries_.removeAt(index);
    emit Changed();
}

void RecentFileList::ReadList(QSettings& settings) {
    entries_.clear();
    settings.beginGroup(kSection);
    for (int index = 0; index < size_; ++index) {
        const QString entry = settings.value(EntryKey(index)).toString();
        if (!entry.isEmpty()) {
            entries_.append(entry);
        }
    }
    settings.endGroup();
    emit Changed();
}

void RecentFileList::WriteList(QSettings& settings) const {
    settings.remove(kSection);
    settings.beginGroup(kSection);
    for (int index = 0; index < entries_.size(); ++index) {
        settings.setValue(EntryKey(index), entries_[index]);
    }
    settings.endGroup();
}

QString RecentFileList::MenuText(int index, const QString& currentDirectory) const {
    const QString& path = entries_.at(index);
    const QFileInfo file(path);
    const QString name = SamePath(FullPathName(file.path()), FullPathName(currentDirectory))
                             ? file.fileName()
                             : AbbreviateName(path, kMaxDisplayLength, true);
    return QStringLiteral("&%1 ").arg(index + 1) +
           QString(name).replace(u'&', QStringLiteral("&&"));
}

}  // namespace kalvor::app
