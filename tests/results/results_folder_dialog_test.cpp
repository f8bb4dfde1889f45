#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QToolButton>
#include <filesystem>
#include <utility>

#include "results/folder_dialog.h"
#include "results/path_text.h"
#include "tests/results/results_test_support.h"
#include "tests/support/temp_dir.h"

namespace kalvor::results {
namespace {

TEST(FolderDialogTest, OffersTheNewFolderButtonOnlyWhenAsked) {
    for (const bool allowNewFolder : {false, true}) {
        SCOPED_TRACE(allowNewFolder);
        const auto dialog = MakeFolderDialog(QStringLiteral("请选择搜索路径"), allowNewFolder);
        dialog->show();
        EXPECT_EQ(dialog->windowTitle(), "请选择搜索路径");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        auto* button = dialog->findChild<QToolButton*>(QStringLiteral("newFolderButton"));
        EXPECT_NE(button, nullptr);
        if (button == nullptr) {
            continue;
        }
        EXPECT_EQ(button->isVisible(), allowNewFolder);
        EXPECT_EQ(button->isEnabled(), allowNewFolder);
        EXPECT_EQ(dialog->testOption(QFileDialog::ReadOnly), !allowNewFolder);
    }
}

TEST(FolderDialogTest, AnEmptyOrOneCharacterAnswerIsNoFolderExceptTheRoot) {
    const std::pair<QString, bool> cases[] = {
        {QString(), false},
        {QStringLiteral("x"), false},
        {QStringLiteral("/"), true},
        {QStringLiteral("/a"), true},
    };
    for (const auto& [path, usable] : cases) {
        EXPECT_EQ(IsUsableFolder(path), usable) << path.toStdString();
    }
}

TEST(FolderDialogTest, OpensAtTheDesktopOrHomeThenAtTheFolderLastPicked) {
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString first = QFileInfo(desktop).isDir() ? desktop : QDir::homePath();
    const testing::TempDir picked;
    for (const QString& expected : {first, testing::FolderText(picked.Path())}) {
        const auto dialog = MakeFolderDialog(QStringLiteral("请选择搜索路径"), false);
        EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(expected).canonicalPath());
        RememberPickedFolder(testing::FolderText(picked.Path()));
    }
    RememberPickedFolder({});
}

TEST(FolderDialogTest, AFolderWhoseNameIsNotUtf8IsFoundFromTheTextTheDialogShows) {
    const testing::TempDir temp;
    const std::filesystem::path odd = temp.MakeDir("\xff\xfe/a\xc3/plain");
    temp.MakeDir("twins/\xfe");
    temp.MakeDir("twins/\xff");
    const std::pair<std::filesystem::path, std::filesystem::path> cases[] = {
        {odd, odd},
        {odd.parent_path(), odd.parent_path()},
        {temp.Path() / "twins/\xff", temp.Path() / "twins/\xef\xbf\xbd"},  // which one is unknown
        {temp.Path() / "gone\xff", temp.Path() / "gone\xef\xbf\xbd"},
    };
    for (const auto& [folder, expected] : cases) {
        SCOPED_TRACE(folder.native());
        EXPECT_EQ(PathFromText(DisplayText(folder)), expected);
    }
}

}  // namespace
}  // namespace kalvor::results
