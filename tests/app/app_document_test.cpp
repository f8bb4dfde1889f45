#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <array>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/about_dlg.h"
#include "app/kalvor_app.h"
#include "app/kalvor_doc.h"
#include "app/main_frame.h"
#include "res/resource.h"
#include "results/kalvor_view.h"
#include "results/result_columns.h"
#include "results/results_model.h"
#include "scan/document_types.h"
#include "scan/included_access.h"
#include "scan/search_options.h"
#include "tests/app/app_test_support.h"
#include "tests/results/results_test_support.h"

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace kalvor::app {
namespace {

namespace fs = std::filesystem;
using testing::PathText;

const QString kCaption = QStringLiteral("在 .doc 文档中查找 秘密 机密 绝密");

class AppTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (app) {
            app->ExitInstance();
        }
    }

    bool Start(const QStringList& arguments = {QStringLiteral("kalvor")}) {
        app = std::make_unique<CkalvorApp>();
        if (!app->InitInstance(arguments)) {
            return false;
        }
        Frame().activateWindow();
        return QTest::qWaitForWindowActive(&Frame());
    }

    void Restart() {
        app->ExitInstance();
        app.reset();
        ASSERT_TRUE(Start());
    }

    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
        QTest::keyClick(app->GetView(), key, modifiers);
    }

    void Choose(unsigned id) {
        QAction* action = Frame().Commands().Find(id);
        ASSERT_NE(action, nullptr) << id;
        action->trigger();
    }

    void SaveAs(const fs::path& path) {
        shell.saveAnswers.push_back(PathText(path));
        Press(Qt::Key_N);
        Press(Qt::Key_S);
    }

    // Recent-file entries as the settings hold them when the program starts.
    void Remember(const std::vector<fs::path>& paths) {
        QSettings file = settings.File();
        for (std::size_t index = 0; index < paths.size(); ++index) {
            file.setValue(QStringLiteral("Recent File List/File%1").arg(index + 1),
                          PathText(paths[index]));
        }
    }

    CMainFrame& Frame() const { return *app->GetMainWnd(); }
    CkalvorDoc& Document() const { return *app->GetDocument(); }
    QStringList Recent() const { return app->RecentFiles().Entries(); }

    testing::TempSettings settings;
    testing::FakeShell shell;
    testing::FakeDesktop desktop;
    testing::TempDir dir;
    std::unique_ptr<CkalvorApp> app;
};

// Presses Esc in the first menu that shows from now on, however it was opened, once the menu has
// the keys as a person would see it; the menu of the list runs its own event loop until then.
class EscapeFromNextMenu {
  public:
    EscapeFromNextMenu() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            QWidget* menu = QApplication::activePopupWidget();
            if (menu != nullptr && QGuiApplication::focusWindow() == menu->windowHandle()) {
                poll_.stop();
                QTest::keyClick(menu, Qt::Key_Escape);
            }
        });
        poll_.start(10);
    }
    bool Pressed() const { return !poll_.isActive(); }

  private:
    QTimer poll_;
};

// After a menu of the menu bar or of the list is closed with Esc, the keys go to the list again:
// Ctrl+A selects every row and the arrows move, without a click.
TEST_F(AppTest, TheListHasTheKeysAgainOnceAMenuIsClosedWithEscape) {
    ASSERT_TRUE(Start());
    results::CkalvorView& view = *app->GetView();
    for (const char* name : {"a.doc", "b.doc", "c.doc"}) {
        view.AddResultRow(testing::RowFor(dir.WriteText(name, name)));
    }
    // The list's own menu as the user sees it, not the stand-in that records it.
    results::DesktopHooks hooks = results::InstalledDesktopHooks();
    hooks.popupMenu = nullptr;
    const results::DesktopHooks stand_ins = results::InstallDesktopHooks(hooks);
    QMenuBar& bar = *Frame().menuBar();
    const QPoint fileMenu = bar.actionGeometry(bar.actions().front()).center();
    QWindow& window = *Frame().windowHandle();
    const QPoint row =
        view.viewport()->mapTo(&Frame(), view.visualRect(view.model()->index(1, 1)).center());
    const std::vector<std::pair<const char*, std::function<void()>>> openings = {
        {"list, right click", [&] { QTest::mouseClick(&window, Qt::RightButton, {}, row); }},
        {"menu bar, clicked", [&] { QTest::mouseClick(&bar, Qt::LeftButton, {}, fileMenu); }},
        {"menu bar, Alt+F", [&] { QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier); }},
    };
    for (const auto& [how, open] : openings) {
        SCOPED_TRACE(how);
        // A window the system has not activated yet takes no focus: wait for it.
        view.activateWindow();
        view.setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &view; }));
        view.selectRow(2);
        const EscapeFromNextMenu escape;
        open();
        ASSERT_TRUE(QTest::qWaitFor([&] { return escape.Pressed(); }));
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &view; }));
        QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(view.selectionModel()->selectedRows().size(), 3);
        const int current = view.currentIndex().row();
        QTest::keyClick(&window, Qt::Key_Up);
        EXPECT_EQ(view.currentIndex().row(), current - 1);
    }
    results::InstallDesktopHooks(stand_ins);
}

TEST_F(AppTest, StartsAsTheCompleteWindowWithAnEmptyDocument) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_EQ(Frame().windowTitle(), kCaption);
    EXPECT_EQ(Frame().centralWidget(), app->GetView());
    EXPECT_EQ(testing::ShownColumns(*app->GetView()->horizontalHeader()), 5);
    EXPECT_EQ(Document().GetTitle(), u"无标题"_qs);
    EXPECT_TRUE(Document().GetPathName().isEmpty());
    EXPECT_TRUE(Recent().isEmpty());
    EXPECT_EQ(QCoreApplication::organizationName(), u"应用程序向导生成的本地应用程序"_qs);
    EXPECT_EQ(QCoreApplication::applicationName(), u"kalvor"_qs);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AppTest, SaveWritesAnEmptyFileOverAnyContentAndNamesTheDocument) {
    ASSERT_TRUE(Start());
    const fs::path target = dir.WriteText("报告 & 草稿.doc", "old content");
    shell.saveAnswers.push_back(PathText(target));
    Press(Qt::Key_S);

    ASSERT_EQ(shell.savePrompts.size(), 1U);
    EXPECT_EQ(shell.savePrompts[0].owner, &Frame());
    EXPECT_EQ(shell.savePrompts[0].title, u"另存为"_qs);
    EXPECT_EQ(shell.savePrompts[0].proposedName, u"无标题"_qs);
    EXPECT_EQ(shell.savePrompts[0].filter, u"所有文件(*.*)"_qs);
    EXPECT_EQ(fs::file_size(target), 0U);
    EXPECT_EQ(Document().GetPathName(), PathText(target));
    EXPECT_EQ(Document().GetTitle(), u"报告 & 草稿.doc"_qs);
    EXPECT_EQ(Recent(), QStringList{PathText(target)});
    EXPECT_EQ(Frame().windowTitle(), kCaption);

    dir.WriteText("报告 & 草稿.doc", "written again by someone");
    Choose(ID_FILE_SAVE);
    EXPECT_EQ(shell.savePrompts.size(), 1U) << "an existing, writable file is saved in place";
    EXPECT_EQ(fs::file_size(target), 0U);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AppTest, SaveAsksForANameWhenTheFileIsGoneOrReadOnly) {
    ASSERT_TRUE(Start());
    const fs::path first = dir.Path() / "first.doc";
    SaveAs(first);
    fs::remove(first);
    const fs::path second = dir.Path() / "second.doc";
    shell.saveAnswers.push_back(PathText(second));
    Press(Qt::Key_S);
    ASSERT_EQ(shell.savePrompts.size(), 2U);
    EXPECT_EQ(shell.savePrompts[1].proposedName, PathText(first));
    EXPECT_EQ(Document().GetPathName(), PathText(second));

    fs::permissions(second, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    Press(Qt::Key_S);  // asked again, and cancelled
    EXPECT_EQ(shell.savePrompts.size(), 3U);
    EXPECT_EQ(Document().GetPathName(), PathText(second));
    EXPECT_EQ(Recent(), (QStringList{PathText(second), PathText(first)}));
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AppTest, SaveThatCannotWriteReportsItAndChangesNothing) {
    ASSERT_TRUE(Start());
    struct Case {
        fs::path target;
        QString message;
    };
    std::vector<Case> cases{
        {dir.Path() / "no such folder" / "x.doc", u"“x.doc”的路径无效，或者该文件已不存在。"_qs},
        {dir.MakeDir("a folder.doc"), u"保存文档失败。"_qs},
    };
#ifndef Q_OS_WIN
    const fs::path fifo = dir.Path() / "pipe.doc";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.push_back({fifo, u"保存文档失败。"_qs});
#endif
    for (const Case& c : cases) {
        shell.errors.clear();
        shell.saveAnswers.push_back(PathText(c.target));
        Press(Qt::Key_S);
        EXPECT_EQ(shell.errors.size(), 1U) << c.target;
        if (shell.errors.size() != 1U) {
            continue;
        }
        EXPECT_EQ(shell.errors[0].text, c.message);
        EXPECT_EQ(shell.errors[0].caption, u"kalvor"_qs);
        EXPECT_TRUE(Document().GetPathName().isEmpty());
        EXPECT_TRUE(Recent().isEmpty());
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "no such folder"));
    EXPECT_TRUE(fs::is_directory(dir.Path() / "a folder.doc"));
#ifndef Q_OS_WIN
    EXPECT_TRUE(fs::is_fifo(fifo)) << "a file the user chose to replace is never removed";
#endif
}

TEST_F(AppTest, NewDocumentReinitialisesTheViewAndKeepsItsRows) {
    ASSERT_TRUE(Start());
    results::CkalvorView& view = *app->GetView();
    view.AddResultRow(testing::RowFor("/docs/a.doc"));
    view.AddResultRow(testing::RowFor("/docs/b.doc"));
    SaveAs(dir.Path() / "saved.doc");
    ASSERT_EQ(Document().GetTitle(), u"saved.doc"_qs);

    Press(Qt::Key_N);
    EXPECT_EQ(Document().GetTitle(), u"无标题"_qs);
    EXPECT_TRUE(Document().GetPathName().isEmpty());
    EXPECT_EQ(view.model()->rowCount(), 2);
    EXPECT_EQ(testing::ShownColumns(*view.horizontalHeader()), 5);
    EXPECT_EQ(Frame().windowTitle(), kCaption);
    EXPECT_TRUE(shell.dialogs.empty() && shell.errors.empty()) << "no save prompt";
}

TEST_F(AppTest, RecentFileReopensWithoutReadingOrWriting) {
    const fs::path a = dir.WriteText("a.doc", "content of a");
    const fs::path b = dir.WriteText("b.doc", "content of b");
    Remember({a, b});
    ASSERT_TRUE(Start());
    ASSERT_EQ(Recent(), (QStringList{PathText(a), PathText(b)}));

    Choose(ID_FILE_MRU_FILE1 + 1);
    EXPECT_EQ(Document().GetPathName(), PathText(b));
    EXPECT_EQ(Document().GetTitle(), u"b.doc"_qs);
    EXPECT_EQ(Recent(), (QStringList{PathText(b), PathText(a)}));
    EXPECT_EQ(Frame().windowTitle(), kCaption);

    Choose(ID_FILE_MRU_FILE1);  // the current document: nothing changes
    EXPECT_EQ(Recent(), (QStringList{PathText(b), PathText(a)}));
    EXPECT_EQ(testing::FileContents(a), "content of a");
    EXPECT_EQ(testing::FileContents(b), "content of b");
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(AppTest, RecentFileThatIsGoneIsReportedAndDropped) {
    const fs::path a = dir.WriteText("a.doc", "");
    const fs::path gone = dir.Path() / "gone.doc";
    Remember({a, gone});
    ASSERT_TRUE(Start());

    Choose(ID_FILE_MRU_FILE1 + 1);
    ASSERT_EQ(shell.errors.size(), 1U);
    EXPECT_EQ(shell.errors[0].text, u"“gone.doc”的路径无效，或者该文件已不存在。"_qs);
    EXPECT_EQ(shell.errors[0].owner, &Frame());
    EXPECT_EQ(Recent(), QStringList{PathText(a)});
    EXPECT_TRUE(Document().GetPathName().isEmpty());
    EXPECT_EQ(Frame().FileMenu()->actions().size(), 9) << "one entry left in the menu";
}

TEST_F(AppTest, RecentListKeepsTheFourNewestAndPersistsAcrossARestart) {
    ASSERT_TRUE(Start());
    std::vector<QString> saved;
    for (const char* name : {"1.doc", "2.doc", "3.doc", "4.doc", "5.doc"}) {
        SaveAs(dir.Path() / name);
        saved.push_back(PathText(dir.Path() / name));
    }
    const QStringList expected{saved[4], saved[3], saved[2], saved[1]};
    EXPECT_EQ(Recent(), expected);

    Restart();
    EXPECT_EQ(Recent(), expected);
    QSettings file = settings.File();
    file.beginGroup(u"Recent File List"_qs);
    EXPECT_EQ(file.childKeys(), (QStringList{u"File1"_qs, u"File2"_qs, u"File3"_qs, u"File4"_qs}));
    EXPECT_EQ(file.value(u"File1"_qs).toString(), saved[4]);
    QStringList menu;
    for (const QAction* action : Frame().FileMenu()->actions()) {
        menu << action->text().left(3);
    }
    EXPECT_EQ(menu.mid(6, 4), (QStringList{u"&1 "_qs, u"&2 "_qs, u"&3 "_qs, u"&4 "_qs}));
}

TEST_F(AppTest, PreviewPagesIsReadAndNeverWritten) {
    settings.File().setValue(u"Settings/PreviewPages"_qs, 3);
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->PreviewPages(), 3);
    Restart();
    EXPECT_EQ(settings.File().value(u"Settings/PreviewPages"_qs).toInt(), 3);
    EXPECT_EQ(settings.File().childGroups(), (QStringList{u"Settings"_qs}))
        << "an empty recent-file list leaves no section";
}

TEST_F(AppTest, FileOnTheCommandLineOpensAsTheDocument) {
    const fs::path file = dir.WriteText("named.doc", "untouched");
    ASSERT_TRUE(Start({u"kalvor"_qs, PathText(file)}));
    EXPECT_EQ(Document().GetPathName(), PathText(file));
    EXPECT_EQ(Recent(), QStringList{PathText(file)});
    EXPECT_EQ(testing::FileContents(file), "untouched");
    EXPECT_EQ(Frame().windowTitle(), kCaption);
}

TEST_F(AppTest, SaveAsksBeforeEmptyingADocumentItDidNotWrite) {
    struct Case {
        const char* name;
        bool fromCommandLine;  // else from the recent-file list
        std::string content;
        int yes;                 // questions answered "是"
        std::string after;       // the file after the first save
        std::size_t asked;       // questions after the first save
        std::size_t askedAgain;  // questions after a second save
    };
    const std::vector<Case> cases{
        {"command line, declined", true, "keep me", 0, "keep me", 1, 2},
        {"recent list, declined", false, "keep me", 0, "keep me", 1, 2},
        {"recent list, accepted", false, "empty me", 1, "", 1, 1},
        {"empty file", true, "", 0, "", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path file = dir.WriteText("opened.doc", c.content);
        if (app) {
            app->ExitInstance();
        }
        if (!c.fromCommandLine) {
            Remember({file});
        }
        const bool started = c.fromCommandLine ? Start({u"kalvor"_qs, PathText(file)}) : Start();
        EXPECT_TRUE(started);
        if (!started) {
            continue;
        }
        if (!c.fromCommandLine) {
            Choose(ID_FILE_MRU_FILE1);
        }
        shell.questions.clear();
        shell.yesAnswers = c.yes;
        Press(Qt::Key_S);
        EXPECT_EQ(shell.questions.size(), c.asked);
        EXPECT_EQ(testing::FileContents(file), c.after);
        if (!shell.questions.empty()) {
            EXPECT_EQ(shell.questions[0].owner, &Frame());
        }
        Press(Qt::Key_S);
        EXPECT_EQ(shell.questions.size(), c.askedAgain)
            << "a file written here is emptied silently";
    }
    EXPECT_TRUE(shell.savePrompts.empty());
}

TEST(SaveDialogTest, AllFilesListsNamesWithoutADotToo) {
    testing::TempDir dir;
    dir.WriteText("with.dot", "");
    dir.WriteText("nodot", "");
    QFileDialog dialog(nullptr, u"另存为"_qs, PathText(dir.Path()));
    dialog.setNameFilter(u"所有文件(*.*)"_qs);
    MatchEveryName(dialog);
    EXPECT_EQ(dialog.nameFilters(), QStringList{u"所有文件(*.*)"_qs});
    const auto* files = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(files, nullptr);
    const QModelIndex folder = files->index(PathText(dir.Path()));
    QStringList listed;
    // The folder loads in the background; the name with a dot shows under either filter.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        listed.clear();
        for (int row = 0; row < files->rowCount(folder); ++row) {
            listed << files->index(row, 0, folder).data().toString();
        }
        return listed.contains(u"with.dot"_qs);
    }));
    EXPECT_TRUE(listed.contains(u"nodot"_qs)) << listed.join(u' ').toStdString();
}

TEST_F(AppTest, FileOnTheCommandLineThatCannotBeOpenedEndsStartUp) {
    std::vector<std::pair<fs::path, QString>> cases{
        {dir.Path() / "missing.doc", u"“missing.doc”的路径无效，或者该文件已不存在。"_qs},
        {dir.MakeDir("folder.doc"), u"打开文档失败。"_qs},
    };
#ifndef Q_OS_WIN
    const fs::path fifo = dir.Path() / "pipe.doc";  // opening it for reading would block
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    cases.emplace_back(fifo, u"打开文档失败。"_qs);
#endif
    for (const auto& [path, message] : cases) {
        shell.errors.clear();
        EXPECT_FALSE(Start({u"kalvor"_qs, PathText(path)})) << path;
        EXPECT_EQ(shell.errors.size(), 1U) << path;
        if (shell.errors.size() != 1U) {
            continue;
        }
        EXPECT_EQ(shell.errors[0].text, message);
        EXPECT_EQ(app->GetMainWnd(), nullptr);
        EXPECT_EQ(app->GetDocument(), nullptr);
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            EXPECT_FALSE(window->isVisible()) << window->metaObject()->className();
        }
    }
}

TEST_F(AppTest, SearchAndCopyCommandsReachTheView) {
    ASSERT_TRUE(Start());
    Press(Qt::Key_O);
    Choose(ID_FILE_OPEN);
    QTest::mouseClick(Frame().ToolBar()->widgetForAction(Frame().Commands().Find(ID_FILE_OPEN)),
                      Qt::LeftButton);
    QTest::mouseClick(Frame().ToolBar()->widgetForAction(Frame().Commands().Find(ID_COPY_TO)),
                      Qt::LeftButton);
    ASSERT_EQ(desktop.picks.size(), 4U);
    for (int index = 0; index < 3; ++index) {
        EXPECT_EQ(desktop.picks[static_cast<std::size_t>(index)].title, u"请选择搜索路径"_qs);
    }
    EXPECT_EQ(desktop.picks[3].title, u"请选择文件保存路径"_qs);
    EXPECT_TRUE(shell.savePrompts.empty()) << "no file dialog of the framework";
}

TEST_F(AppTest, SearchTypesChosenInTheDialogReachEverySearchAndOutliveARestart) {
    // Choices as the names of the dialog's boxes: the types checked, then "wide" for the wider
    // match.
    struct Case {
        const char* name;
        QString storedTypes;  // null: nothing stored
        QString storedMatch;
        QString toggles;  // the boxes the user toggles, then "确定" or "取消"
        bool pressOk;
        QString shown;   // checked when the dialog opens
        bool okEnabled;  // after the toggles
        QString searched;
    };
    const std::vector<Case> cases{
        {"nothing stored", {}, {}, {}, false, u"doc"_qs, true, u"doc"_qs},
        {"chosen", {}, {}, u"dot,wps,doc,wide"_qs, true, u"doc"_qs, true, u"dot,wps,wide"_qs},
        {"cancelled", u"dot"_qs, u"wide"_qs, u"doc,wide"_qs, false, u"dot,wide"_qs, true,
         u"dot,wide"_qs},
        {"stored type unknown to this build",
         u"docz, WPS"_qs,
         u"default"_qs,
         {},
         true,
         u"wps"_qs,
         true,
         u"wps"_qs},
        {"no stored type known",
         u"xyz,"_qs,
         u"WIDE"_qs,
         {},
         false,
         u"doc,wide"_qs,
         true,
         u"doc,wide"_qs},
        {"every type unchecked", {}, {}, u"doc"_qs, true, u"doc"_qs, false, u"doc"_qs},
        {"documents that cannot be held",
         {},
         {},
         u"in-use,read-only"_qs,
         true,
         u"doc"_qs,
         true,
         u"doc,read-only,in-use"_qs},
    };
    QStringList boxes;
    for (const std::string_view type : scan::DocumentTypes::Known()) {
        boxes << QString::fromLatin1(type);
    }
    boxes << u"wide"_qs << u"read-only"_qs << u"in-use"_qs;

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            QSettings file = settings.File();
            file.remove(u"Search"_qs);
            if (!c.storedTypes.isNull()) {
                file.setValue(u"Search/Types"_qs, c.storedTypes);
                file.setValue(u"Search/Match"_qs, c.storedMatch);
            }
        }
        std::vector<std::string> searched;
        const auto search = [&] {
            app->GetView()->SetFolderSearch([&searched](const fs::path&, scan::SearchSink&,
                                                        const scan::SearchOptions& options) {
                QStringList choice;
                for (const std::string_view type : options.types.Names()) {
                    choice << QString::fromLatin1(type);
                }
                if (options.match == scan::marking::MatchRule::Wide) {
                    choice << u"wide"_qs;
                }
                const std::string included = scan::IncludedAccessNames(options.include);
                if (!included.empty()) {
                    choice << QString::fromStdString(included);
                }
                searched.push_back(choice.join(u',').toStdString());
                return scan::SearchProgress{};
            });
            desktop.folderAnswers = {PathText(dir.Path())};
            Choose(ID_FILE_OPEN);
        };

        QStringList names;
        QStringList shown;
        bool okEnabled = false;
        shell.answerModal = [&](QDialog& dialog) {
            dialog.show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
            for (const QCheckBox* box : dialog.findChildren<QCheckBox*>()) {
                names << box->objectName();
                if (box->isChecked()) {
                    shown << box->objectName();
                }
            }
            for (const QString& box : c.toggles.split(u',', Qt::SkipEmptyParts)) {
                QTest::keyClick(dialog.findChild<QCheckBox*>(box), Qt::Key_Space);
            }
            const QDialogButtonBox& buttons = *dialog.findChild<QDialogButtonBox*>();
            for (QAbstractButton* button : buttons.buttons()) {
                const bool ok = buttons.buttonRole(button) == QDialogButtonBox::AcceptRole;
                if (ok) {
                    okEnabled = button->isEnabled();
                }
                if (ok == c.pressOk) {
                    QTest::mouseClick(button, Qt::LeftButton);
                }
            }
            if (dialog.isVisible()) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            }
            return dialog.result();
        };
        if (app) {
            Restart();
        } else if (!Start()) {
            ADD_FAILURE() << "the application did not start";
            continue;
        }
        Choose(ID_FILE_SEARCH_TYPES);
        EXPECT_EQ(shell.dialogs.back().owner, &Frame());
        search();
        Restart();
        search();

        EXPECT_EQ(names.join(u',').toStdString(), boxes.join(u',').toStdString())
            << "one box for each type this build reads, in its order";
        EXPECT_EQ(shown.join(u',').toStdString(), c.shown.toStdString());
        EXPECT_EQ(okEnabled, c.okEnabled);
        EXPECT_EQ(searched, std::vector<std::string>(2, c.searched.toStdString()))
            << "before and after a restart";
    }
}

// What a row's hits look like in the evidence pane: its plain text, and the characters it sets off
// in bold.
struct PaneText {
    QString text;
    QString bold;
};

PaneText TextOf(const QTextEdit& pane) {
    PaneText shown{pane.toPlainText(), {}};
    for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().fontWeight() == QFont::Bold) {
                shown.bold += fragment.fragment().text();
            }
        }
    }
    return shown;
}

scan::EvidenceHit HitOf(std::u16string marking, std::u16string before, std::u16string after,
                        scan::EvidencePlace place, scan::EvidenceGrade grade) {
    return {.marking = std::move(marking),
            .before = std::move(before),
            .after = std::move(after),
            .place = place,
            .paragraph = std::nullopt,
            .grade = grade};
}

scan::ResultRow RowWithHits(const char* name, std::vector<scan::EvidenceHit> hits,
                            platform::FileAccess access = platform::FileAccess::Ordinary) {
    scan::ResultRow row = testing::RowFor(fs::path("/docs") / name);
    row.evidence = std::move(hits);
    row.access = access;
    return row;
}

TEST_F(AppTest, EvidencePaneAndGradeColumnFollowTheViewMenuAndOutliveARestart) {
    const scan::EvidenceHit head =
        HitOf(u"机密", u"", u"★10年", scan::EvidencePlace::Body, scan::EvidenceGrade::Marking);
    const scan::EvidenceHit mention =
        HitOf(u"秘密", u"保守公司商业", u"。", scan::EvidencePlace::Footnote,
              scan::EvidenceGrade::Mention);
    const scan::EvidenceHit residue =
        HitOf(u"绝 密", u"旧稿", u"", scan::EvidencePlace::Residue, scan::EvidenceGrade::Residue);
    // In the order found: grades mixed, and a row without any.
    const std::vector<scan::ResultRow> rows{
        RowWithHits("residue.doc", {residue}, platform::FileAccess::ReadOnly),
        RowWithHits("none.doc", {}),
        RowWithHits("marking.doc", {head, mention}),
        RowWithHits("mention.doc", {mention}),
    };
    struct Case {
        const char* name;
        std::optional<bool> storedPane;  // nothing: no choice stored
        std::optional<bool> storedColumn;
        std::vector<unsigned> chosen;  // View items, in turn
        int gradeClicks;               // on the grade column's header, once it shows
        std::vector<int> selected;     // rows in the order found; a sort takes them along
        bool paneShown;
        bool columnShown;
        QString order;     // the rows' names, top to bottom
        QString paneText;  // what the pane shows, lines joined by '|'
        QString paneBold;
    };
    const QString found = u"residue,none,marking,mention"_qs;
    const std::vector<Case> cases{
        {"by default the pane shows the selected row and the column is hidden",
         {},
         {},
         {},
         0,
         {2},
         true,
         false,
         found,
         u"标志　正文　机密★10年|提及　脚注　保守公司商业秘密。"_qs,
         u"机密秘密"_qs},
        {"residue, and how a read-only file was read",
         {},
         {},
         {},
         0,
         {0},
         true,
         false,
         found,
         u"读取方式：只读|残留　残留　旧稿绝 密"_qs,
         u"绝 密"_qs},
        {"a row without hits cannot be judged",
         {},
         {},
         {},
         0,
         {1},
         true,
         false,
         found,
         u"未能判断"_qs,
         {}},
        {"several rows selected show nothing", {}, {}, {}, 0, {0, 2}, true, false, found, {}, {}},
        {"the menu hides the pane",
         {},
         {},
         {ID_VIEW_EVIDENCE_PANE},
         0,
         {2},
         false,
         false,
         found,
         u"标志　正文　机密★10年|提及　脚注　保守公司商业秘密。"_qs,
         u"机密秘密"_qs},
        {"a hidden pane is restored hidden", false, {}, {}, 0, {}, false, false, found, {}, {}},
        {"and the menu shows it again",
         false,
         {},
         {ID_VIEW_EVIDENCE_PANE},
         0,
         {},
         true,
         false,
         found,
         {},
         {}},
        {"the menu shows the column; a click sorts strongest first",
         {},
         {},
         {ID_VIEW_GRADE_COLUMN},
         1,
         {0},
         true,
         true,
         u"marking,mention,residue,none"_qs,
         u"读取方式：只读|残留　残留　旧稿绝 密"_qs,
         u"绝 密"_qs},
        {"a shown column is restored; a second click sorts weakest first",
         {},
         true,
         {},
         2,
         {},
         true,
         true,
         u"none,residue,mention,marking"_qs,
         {},
         {}},
        {"a third click gives the order found back",
         {},
         true,
         {},
         3,
         {},
         true,
         true,
         found,
         {},
         {}},
        {"the menu hides a shown column",
         true,
         true,
         {ID_VIEW_GRADE_COLUMN},
         0,
         {},
         true,
         false,
         found,
         {},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            QSettings file = settings.File();
            file.remove(u"View"_qs);
            if (c.storedPane.has_value()) {
                file.setValue(u"View/EvidencePane"_qs, *c.storedPane);
            }
            if (c.storedColumn.has_value()) {
                file.setValue(u"View/GradeColumn"_qs, *c.storedColumn);
            }
        }
        if (app) {
            Restart();
        } else {
            ASSERT_TRUE(Start());
        }
        results::CkalvorView& view = *app->GetView();
        for (const scan::ResultRow& row : rows) {
            view.AddResultRow(row);
        }
        for (const unsigned id : c.chosen) {
            Choose(id);
        }
        testing::SelectRows(view, c.selected);
        QHeaderView& header = *view.horizontalHeader();
        for (int click = 0; click < c.gradeClicks && !header.isSectionHidden(results::kGradeColumn);
             ++click) {
            view.scrollTo(view.model()->index(0, results::kGradeColumn));
            QTest::mouseClick(
                header.viewport(), Qt::LeftButton, {},
                QPoint(header.sectionViewportPosition(results::kGradeColumn) + 10, 5));
        }
        QStringList order;
        for (int row = 0; row < view.model()->rowCount(); ++row) {
            order << QString::fromStdString(view.Results().RowAt(row).path.stem().string());
        }
        const auto* pane = qobject_cast<const QTextEdit*>(Frame().BelowView()->widget());
        ASSERT_NE(pane, nullptr);
        const PaneText shown = TextOf(*pane);
        EXPECT_EQ(order.join(u',').toStdString(), c.order.toStdString());
        EXPECT_EQ(testing::ColumnTexts(view.Results(), results::kNumberColumn),
                  QStringList({u"1"_qs, u"2"_qs, u"3"_qs, u"4"_qs}))
            << "numbered from the top";
        EXPECT_EQ(shown.text.split(u'\n').join(u'|').toStdString(), c.paneText.toStdString());
        EXPECT_EQ(shown.bold.toStdString(), c.paneBold.toStdString());

        // A search empties the list before its rows come; a restart reads the settings.
        const std::array<const char*, 3> stages{"as chosen", "after a search", "after a restart"};
        for (const char* stage : stages) {
            SCOPED_TRACE(stage);
            if (stage == stages[1]) {
                app->GetView()->SetFolderSearch(
                    [](const fs::path&, scan::SearchSink&, const scan::SearchOptions&) {
                        return scan::SearchProgress{};
                    });
                desktop.folderAnswers = {PathText(dir.Path())};
                Choose(ID_FILE_OPEN);
                EXPECT_EQ(app->GetView()->model()->rowCount(), 0);
            } else if (stage == stages[2]) {
                Restart();
            }
            EXPECT_EQ(Frame().BelowView()->isVisible(), c.paneShown);
            EXPECT_EQ(Frame().Commands().Find(ID_VIEW_EVIDENCE_PANE)->isChecked(), c.paneShown);
            EXPECT_EQ(!app->GetView()->horizontalHeader()->isSectionHidden(results::kGradeColumn),
                      c.columnShown);
            EXPECT_EQ(Frame().Commands().Find(ID_VIEW_GRADE_COLUMN)->isChecked(), c.columnShown);
        }
    }
}

TEST_F(AppTest, AboutBoxShowsNameVersionAndNote) {
    ASSERT_TRUE(Start());
    QTest::mouseClick(Frame().ToolBar()->widgetForAction(Frame().Commands().Find(ID_APP_ABOUT)),
                      Qt::LeftButton);
    Choose(ID_APP_ABOUT);
    ASSERT_EQ(shell.dialogs.size(), 2U);
    const testing::FakeShell::ModalDialog& about = shell.dialogs[0];
    EXPECT_EQ(about.owner, &Frame());
    EXPECT_EQ(about.caption, u"关于 kalvor"_qs);
    ASSERT_EQ(about.labels.size(), 4);
    EXPECT_TRUE(about.labels[0].isEmpty()) << "the icon";
    EXPECT_EQ(about.labels[1], u"kalvor, Version 1.0"_qs);
    EXPECT_FALSE(about.labels[2].isEmpty()) << "the rights line";
    EXPECT_EQ(about.labels[3], u"只能处理office 97 - office 2003 生成的word文档"_qs);
    EXPECT_EQ(about.buttons, QStringList{u"确定"_qs});
}

TEST_F(AppTest, AboutBoxClosesWithItsButtonEnterAndEscape) {
    for (const auto& [key, result] : std::vector<std::pair<Qt::Key, int>>{
             {Qt::Key_Return, QDialog::Accepted}, {Qt::Key_Escape, QDialog::Rejected}}) {
        CAboutDlg about;
        about.show();
        const bool active = QTest::qWaitForWindowActive(&about);
        EXPECT_TRUE(active) << key;
        if (!active) {
            continue;
        }
        QTest::keyClick(&about, key);
        EXPECT_FALSE(about.isVisible()) << key;
        EXPECT_EQ(about.result(), result) << key;
    }
    CAboutDlg about;
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>(), Qt::LeftButton);
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(AppTest, ExitClosesTheWindowWithoutAskingToSave) {
    ASSERT_TRUE(Start());
    SaveAs(dir.Path() / "saved.doc");
    Press(Qt::Key_N);
    Choose(ID_APP_EXIT);
    EXPECT_FALSE(Frame().isVisible());
    EXPECT_TRUE(shell.dialogs.empty());
    EXPECT_TRUE(shell.errors.empty());
}

}  // namespace
}  // namespace kalvor::app
