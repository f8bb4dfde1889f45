#include <gtest/gtest.h>

#include <QToolButton>

#include "results/folder_dialog.h"
#include "results/path_text.h"

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
        ASSERT_NE(button, nullptr);
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

}  // namespace
}  // namespace kalvor::results
