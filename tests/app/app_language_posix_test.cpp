#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGlyphRun>
#include <QLabel>
#include <QLibraryInfo>
#include <QProcess>
#include <QPushButton>
#include <QRawFont>
#include <QRegularExpression>
#include <QTest>
#include <QTextLayout>
#include <QTreeView>
#include <optional>

#include "res/dialog_units.h"
#include "res/dialogs.h"
#include "res/resource.h"
#include "results/folder_dialog.h"
#include "tests/support/temp_dir.h"

// The test program starts its application as the window does (tests/support/ui_test_main.cpp),
// and ctest runs it under LANG=C.UTF-8, as a server or a fresh desktop session may.
namespace kalvor::app {
namespace {

// Text a Chinese reader reads: no Latin letter but in a mnemonic such as "(&S)".
bool ReadsChinese(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    return !text.isEmpty() && !text.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

// The family fontconfig itself gives Simplified Chinese text.
QString FontconfigChoiceForChinese() {
    QProcess match;
    match.start(QStringLiteral("fc-match"), {QStringLiteral("-f"), QStringLiteral("%{family[0]}"),
                                             QStringLiteral("sans-serif:lang=zh-cn")});
    match.waitForFinished();
    return QString::fromUtf8(match.readAllStandardOutput());
}

// The families whose glyphs draw `text` in `font`, falling back where it lacks them.
QStringList FamiliesDrawing(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        families << run.rawFont().familyName();
    }
    return families;
}

// FC_LANG as the program was started with it.
std::optional<QByteArray> StartingFontLanguage() {
    QFile environ(QStringLiteral("/proc/self/environ"));
    if (!environ.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    for (const QByteArray& entry : environ.readAll().split('\0')) {
        if (entry.startsWith("FC_LANG=")) {
            return entry.mid(8);
        }
    }
    return std::nullopt;
}

TEST(LanguageTest, DialogsReadChineseAndCharactersTakeTheirSimplifiedShapesWhateverTheLocale) {
    const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(translations + QStringLiteral("/qtbase_zh_CN.qm"))) {
        GTEST_SKIP() << "Qt's Chinese translations are not installed (qt6-translations-l10n)";
    }
    const testing::TempDir temp;
    const std::filesystem::path folder = temp.MakeDir("子文件夹");
    const auto dialog = results::MakeFolderDialog(QStringLiteral("请选择搜索路径"), true);
    dialog->setDirectory(QString::fromStdString(temp.Path().string()));
    dialog->setViewMode(QFileDialog::Detail);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        if (label->isVisible()) {
            EXPECT_TRUE(ReadsChinese(label->text())) << label->text().toStdString();
        }
    }
    for (const QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->isVisible()) {
            EXPECT_TRUE(ReadsChinese(button->text())) << button->text().toStdString();
        }
    }
    const auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(list, nullptr);
    // The folder loads in the background.
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 1; }));
    const QModelIndex subfolder = list->model()->index(0, 0, list->rootIndex());
    EXPECT_EQ(subfolder.data().toString(), QStringLiteral("子文件夹"));
    for (const int column : {2, 3}) {  // type, date modified
        const QString cell = subfolder.siblingAtColumn(column).data().toString();
        EXPECT_TRUE(ReadsChinese(cell)) << cell.toStdString();
    }

    const QString chinese = FontconfigChoiceForChinese();
    ASSERT_FALSE(chinese.isEmpty()) << "fc-match gave no font for zh-cn";
    const QFont dialogFont = res::DialogFont(*res::LoadDialog(IDD_ABOUTBOX));
    for (const QFont& font :
         {QApplication::font(), dialogFont, QFont(QStringLiteral("DejaVu Sans"))}) {
        EXPECT_EQ(FamiliesDrawing(QStringLiteral("就绪"), font), QStringList{chinese})
            << font.family().toStdString();
    }
    // Programs the window starts get the environment it was given.
    EXPECT_EQ(qEnvironmentVariableIsSet("FC_LANG") ? std::optional<QByteArray>(qgetenv("FC_LANG"))
                                                   : std::nullopt,
              StartingFontLanguage());
}

}  // namespace
}  // namespace kalvor::app
