#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QSettings;

namespace kalvor::app {

// The most recently used document paths, most recent first, kept in the settings section
// "Recent File List" as the values "File1", "File2", ...
class RecentFileList final : public QObject {
    Q_OBJECT

  public:
    explicit RecentFileList(int size, QObject* parent = nullptr);

    const QStringList& Entries() const { return entries_; }

    // Puts the full form of `path` at the top; an entry for the same file moves up, and the
    // oldest falls off when the list is full.
    void Add(const QString& path);
    void Remove(int index);

    void ReadList(QSettings& settings);
    // Replaces the section with the current entries.
    void WriteList(QSettings& settings) const;

    // The text of entry `index` in the File menu: "&1 " and its display name, every "&"
    // doubled. The display name is the file name alone when the file lies in
    // `currentDirectory`, otherwise the path shortened to 30 characters.
    QString MenuText(int index, const QString& currentDirectory) const;

  signals:
    void Changed();

  private:
    int size_;
    QStringList entries_;
};

// `path` made absolute and clean, with the platform's separators.
QString FullPathName(const QString& path);

// Whether two full paths name the same file, compared as the platform compares file names.
bool SamePath(const QString& a, const QString& b);

}  // namespace kalvor::app
