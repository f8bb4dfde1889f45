#include <gtest/gtest.h>

#include <QDir>
#include <QSettings>
#include <QSignalSpy>

#include "app/abbreviate_name.h"
#include "app/recent_file_list.h"
#include "tests/support/temp_dir.h"

namespace kalvor::app {
namespace {

TEST(AbbreviateNameTest, ShortensToVolumeFirstFolderAndLastFolders) {
    struct Case {
        QString path;
        int maxLength;
        bool atLeastName;
        QString expected;
    };
    const std::vector<Case> cases{
#ifdef Q_OS_WIN
        {u"C:\\a\\report.doc"_qs, 30, true, u"C:\\a\\report.doc"_qs},
        {u"C:\\Users\\zhang\\Documents\\projects\\kalvor\\report.doc"_qs, 30, true,
         u"C:\\Users\\...\\kalvor\\report.doc"_qs},
        {u"\\\\server\\share\\deep\\deeper\\deepest\\report.doc"_qs, 30, true,
         u"\\\\server\\share\\...\\report.doc"_qs},
        {u"C:\\Users\\a-rather-long-file-name-for-a-menu.doc"_qs, 30, true,
         u"a-rather-long-file-name-for-a-menu.doc"_qs},
#else
        {u"/a/report.doc"_qs, 30, true, u"/a/report.doc"_qs},
        {u"/home/zhang/documents/projects/kalvor/report.doc"_qs, 30, true,
         u"/home/.../kalvor/report.doc"_qs},
        {u"/home/zhang/documents/projects/kalvor/report.doc"_qs, 40, true,
         u"/home/.../projects/kalvor/report.doc"_qs},
        {u"/home/zhang/a-rather-long-file-name-for-a-menu.doc"_qs, 30, true,
         u"a-rather-long-file-name-for-a-menu.doc"_qs},
        {u"/home/zhang/a-rather-long-file-name-for-a-menu.doc"_qs, 30, false, QString()},
        {u"/home/zhang/documents/a-long-name-of-22.doc"_qs, 30, true, u"a-long-name-of-22.doc"_qs},
        {u"/verylongfoldername/x/y.doc"_qs, 25, true, u"y.doc"_qs},
        {u"/a-file-directly-under-the-root-folder.doc"_qs, 30, true,
         u"a-file-directly-under-the-root-folder.doc"_qs},
#endif
    };
    for (const Case& c : cases) {
        const QString shortened = AbbreviateName(c.path, c.maxLength, c.atLeastName);
        EXPECT_EQ(shortened, c.expected) << c.path.toStdString() << " / " << c.maxLength;
        EXPECT_TRUE(shortened.size() <= c.maxLength ||
                    shortened == c.path.section(QDir::separator(), -1))
            << shortened.toStdString();
    }
}

class RecentFileListTest : public ::testing::Test {
  protected:
    static QString Path(const QString& name) {
        return QDir::toNativeSeparators(u"/docs/"_qs + name);
    }

    RecentFileList list{4};
};

TEST_F(RecentFileListTest, NewestFirstWithoutDuplicatesAndAtMostFour) {
    QSignalSpy changed(&list, &RecentFileList::Changed);
    for (const char* name : {"a", "b", "c", "a", "d", "e"}) {
        list.Add(Path(QString::fromLatin1(name)));
    }
    EXPECT_EQ(list.Entries(),
              (QStringList{Path(u"e"_qs), Path(u"d"_qs), Path(u"a"_qs), Path(u"c"_qs)}));
    EXPECT_EQ(changed.count(), 6);

    list.Remove(1);
    list.Remove(7);
    EXPECT_EQ(list.Entries(), (QStringList{Path(u"e"_qs), Path(u"a"_qs), Path(u"c"_qs)}));
    EXPECT_EQ(changed.count(), 7);
}

TEST_F(RecentFileListTest, StoresFullCleanPaths) {
    list.Add(u"relative/../x.doc"_qs);
    EXPECT_EQ(list.Entries().front(),
              QDir::toNativeSeparators(QDir::current().absoluteFilePath(u"x.doc"_qs)));
}

TEST_F(RecentFileListTest, MenuTextsNumberEntriesAndShowAmpersandsLiterally) {
    list.Add(u"/home/zhang/documents/projects/kalvor/report.doc"_qs);
    list.Add(u"/tmp/R&D.doc"_qs);
    list.Add(u"/work/in-this-folder-with-a-long-long-name.doc"_qs);
    const QString current = QDir::toNativeSeparators(u"/work"_qs);
    EXPECT_EQ(list.MenuText(0, current), u"&1 in-this-folder-with-a-long-long-name.doc"_qs);
    EXPECT_EQ(list.MenuText(1, current), QDir::toNativeSeparators(u"&2 /tmp/R&&D.doc"_qs));
    EXPECT_EQ(list.MenuText(2, current),
              QDir::toNativeSeparators(u"&3 /home/.../kalvor/report.doc"_qs));
}

TEST_F(RecentFileListTest, WritesFileOneToNAndReadsThemBack) {
    const testing::TempDir dir;
    const QString file = QString::fromStdString((dir.Path() / "settings.ini").string());
    {
        QSettings settings(file, QSettings::IniFormat);
        settings.setValue(u"Recent File List/File4"_qs, u"/stale.doc"_qs);
        settings.setValue(u"Settings/PreviewPages"_qs, 2);
        list.Add(Path(u"old"_qs));
        list.Add(Path(u"new"_qs));
        list.WriteList(settings);
    }
    QSettings settings(file, QSettings::IniFormat);
    settings.beginGroup(u"Recent File List"_qs);
    EXPECT_EQ(settings.childKeys(), (QStringList{u"File1"_qs, u"File2"_qs}));
    EXPECT_EQ(settings.value(u"File1"_qs).toString(), Path(u"new"_qs));
    settings.endGroup();
    EXPECT_EQ(settings.value(u"Settings/PreviewPages"_qs).toInt(), 2) << "other sections stay";

    RecentFileList reread(4);
    reread.ReadList(settings);
    EXPECT_EQ(reread.Entries(), list.Entries());
}

TEST_F(RecentFileListTest, ReadsNoMoreThanItsSizeAndSkipsEmptyValues) {
    const testing::TempDir dir;
    QSettings settings(QString::fromStdString((dir.Path() / "settings.ini").string()),
                       QSettings::IniFormat);
    for (const auto& [key, value] :
         std::vector<std::pair<QString, QString>>{{u"File1"_qs, u"/1.doc"_qs},
                                                  {u"File2"_qs, QString()},
                                                  {u"File3"_qs, u"/3.doc"_qs},
                                                  {u"File4"_qs, u"/4.doc"_qs},
                                                  {u"File5"_qs, u"/5.doc"_qs}}) {
        settings.setValue(u"Recent File List/"_qs + key, value);
    }
    list.ReadList(settings);
    EXPECT_EQ(list.Entries(), (QStringList{u"/1.doc"_qs, u"/3.doc"_qs, u"/4.doc"_qs}));
}

}  // namespace
}  // namespace kalvor::app
