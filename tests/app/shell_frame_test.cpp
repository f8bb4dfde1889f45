#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QToolTip>
#include <memory>
#include <ostream>
#include <tuple>
#include <utility>

#include "app/frame_status_bar.h"
#include "app/main_frame.h"
#include "app/recent_file_list.h"
#include "res/resource.h"
#include "tests/app/app_test_support.h"

namespace kalvor::app {
namespace {

using testing::RecordingTarget;

std::vector<unsigned> RecentFileCommands() {
    std::vector<unsigned> ids;
    for (unsigned id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id) {
        ids.push_back(id);
    }
    return ids;
}

// A list with one selected cell in place of the results view.
QTableView* MakeList() {
    auto* model = new QStandardItemModel(2, 2);
    model->setItem(0, 0, new QStandardItem(QStringLiteral("cell")));
    auto* list = new QTableView;
    list->setModel(model);
    model->setParent(list);
    list->setCurrentIndex(model->index(0, 0));
    return list;
}

class FrameTest : public ::testing::Test {
  protected:
    void MakeFrame(std::vector<unsigned> applicationCommands) {
        frame.reset();
        application =
            std::make_unique<RecordingTarget>("application", std::move(applicationCommands), log);
        list = MakeList();
        frame = std::make_unique<CMainFrame>(FrameContext{
            .view = list,
            .viewCommands = &view,
            .document = &document,
            .application = application.get(),
            .recentFiles = &recentFiles,
            .lockKeys = [this] { return lockKeys; },
        });
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        list->setFocus();
    }

    void SetUp() override {
        std::vector<unsigned> ids{ID_APP_ABOUT, ID_FILE_NEW, ID_APP_EXIT, ID_FILE_SEARCH_TYPES};
        const std::vector<unsigned> recent = RecentFileCommands();
        ids.insert(ids.end(), recent.begin(), recent.end());
        MakeFrame(ids);
    }

    QAction& Action(unsigned id) const {
        QAction* action = frame->Commands().Find(id);
        EXPECT_NE(action, nullptr) << id;
        return *action;
    }

    QWidget* Button(unsigned id) const { return frame->ToolBar()->widgetForAction(&Action(id)); }

    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    std::vector<std::string> log;
    RecordingTarget view{"view",
                         {ID_FILE_OPEN, ID_COPY_TO, ID_DELETE_FILE, ID_REMOVE_FROM_LIST,
                          ID_SHELL_OPEN, ID_OPEN_FOLDER},
                         log};
    RecordingTarget document{"document", {ID_FILE_SAVE}, log};
    std::unique_ptr<RecordingTarget> application;
    RecentFileList recentFiles{4};
    LockKeyState lockKeys;
    QTableView* list = nullptr;
    std::unique_ptr<CMainFrame> frame;
};

struct MenuEntry {
    QString text;
    bool enabled;
    bool operator==(const MenuEntry&) const = default;
};

void PrintTo(const MenuEntry& entry, std::ostream* out) {
    *out << '"' << entry.text.toStdString() << '"' << (entry.enabled ? "" : " (grayed)");
}

std::vector<MenuEntry> EntriesOf(const QMenu& menu) {
    std::vector<MenuEntry> entries;
    for (const QAction* action : menu.actions()) {
        entries.push_back(
            {action->isSeparator() ? QStringLiteral("-") : action->text(), action->isEnabled()});
    }
    return entries;
}

TEST_F(FrameTest, HasTheFixedCaptionAndTheMainMenu) {
    EXPECT_EQ(frame->windowTitle(), u"在 .doc 文档中查找 秘密 机密 绝密"_qs);
    QStringList titles;
    for (const QAction* popup : frame->menuBar()->actions()) {
        titles << popup->text();
    }
    EXPECT_EQ(titles, (QStringList{u"文件(&F)"_qs, u"视图(&V)"_qs, u"帮助(&H)"_qs}));

    const QList<QAction*> popups = frame->menuBar()->actions();
    EXPECT_EQ(EntriesOf(*popups[0]->menu()), (std::vector<MenuEntry>{
                                                 {u"打开(&O)...\tCtrl+O"_qs, true},
                                                 {u"搜索的文件类型(&T)..."_qs, true},
                                                 {u"-"_qs, true},
                                                 {u"保存(&S)\tCtrl+S"_qs, true},
                                                 {u"导出结果(&E)..."_qs, false},
                                                 {u"-"_qs, true},
                                                 {u"最近的文件"_qs, false},
                                                 {u"-"_qs, true},
                                                 {u"退出(&X)"_qs, true},
                                             }));
    // Nothing on this route handles the evidence pane's and the grade column's items: in the
    // window the application does.
    EXPECT_EQ(EntriesOf(*popups[1]->menu()), (std::vector<MenuEntry>{
                                                 {u"工具栏(&T)"_qs, true},
                                                 {u"状态栏(&S)"_qs, true},
                                                 {u"-"_qs, true},
                                                 {u"判断依据(&E)"_qs, false},
                                                 {u"判断列(&G)"_qs, false},
                                             }));
    EXPECT_EQ(EntriesOf(*popups[2]->menu()),
              (std::vector<MenuEntry>{{u"关于 kalvor(&A)..."_qs, true}}));
}

TEST_F(FrameTest, TheBandStripHoldsTheToolbarThenTheEmptyDialogBar) {
    QToolBar* toolBar = frame->ToolBar();
    QToolBar* dialogBar = frame->DialogBar();
    EXPECT_EQ(frame->toolBarArea(toolBar), Qt::TopToolBarArea);
    EXPECT_EQ(frame->toolBarArea(dialogBar), Qt::TopToolBarArea);
    EXPECT_FALSE(frame->toolBarBreak(dialogBar)) << "both bands share one row";
    EXPECT_LT(toolBar->geometry().left(), dialogBar->geometry().left());

    std::vector<unsigned> buttons;
    for (const QAction* action : toolBar->actions()) {
        buttons.push_back(action->isSeparator() ? 0 : CommandOf(*action));
    }
    EXPECT_EQ(buttons, (std::vector<unsigned>{ID_FILE_OPEN, 0, ID_COPY_TO, 0, ID_APP_ABOUT}));
    EXPECT_EQ(toolBar->iconSize(), QSize(16, 15));
    for (QToolBar* band : {toolBar, dialogBar}) {
        EXPECT_EQ(band->isMovable(), band == toolBar)
            << "only a band that holds something has a gripper";
        EXPECT_FALSE(band->isFloatable());
    }
    ASSERT_EQ(dialogBar->actions().size(), 1);
    const QWidget* strip = dialogBar->widgetForAction(dialogBar->actions().front());
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->children().isEmpty());
    EXPECT_GT(strip->width(), 300);
}

TEST_F(FrameTest, EveryMenuItemButtonAndAcceleratorReachesItsHandler) {
    recentFiles.Add(u"/docs/b.doc"_qs);
    recentFiles.Add(u"/docs/a.doc"_qs);

    const std::vector<std::pair<unsigned, std::string>> menuItems{
        {ID_FILE_OPEN, "view:57601"},
        {ID_FILE_SEARCH_TYPES, "application:32783"},
        {ID_FILE_SAVE, "document:57603"},
        {ID_FILE_MRU_FILE1, "application:57616"},
        {ID_FILE_MRU_FILE1 + 1, "application:57617"},
        {ID_APP_EXIT, "application:57665"},
        {ID_APP_ABOUT, "application:57664"},
    };
    for (const auto& [id, expected] : menuItems) {
        Action(id).trigger();
        EXPECT_EQ(TakeLog(), std::vector<std::string>{expected}) << id;
    }

    for (const auto& [id, expected] :
         std::vector<std::pair<unsigned, std::string>>{{ID_FILE_OPEN, "view:57601"},
                                                       {ID_COPY_TO, "view:32776"},
                                                       {ID_APP_ABOUT, "application:57664"}}) {
        QTest::mouseClick(Button(id), Qt::LeftButton);
        EXPECT_EQ(TakeLog(), std::vector<std::string>{expected}) << id;
    }

    for (const auto& [key, modifiers, expected] :
         std::vector<std::tuple<Qt::Key, Qt::KeyboardModifiers, std::string>>{
             {Qt::Key_N, Qt::ControlModifier, "application:57600"},
             {Qt::Key_O, Qt::ControlModifier, "view:57601"},
             {Qt::Key_S, Qt::ControlModifier, "document:57603"}}) {
        QTest::keyClick(list, key, modifiers);
        EXPECT_EQ(TakeLog(), std::vector<std::string>{expected}) << expected;
    }
}

TEST_F(FrameTest, KeysOfCommandsWithoutHandlerDoNothingAlsoInTheList) {
    QClipboard& clipboard = *QApplication::clipboard();
    {
        // The list by itself copies its current cell: the frame must keep the key from it.
        const std::unique_ptr<QTableView> bare(MakeList());
        bare->show();
        bare->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(bare.get()));
        clipboard.setText(QStringLiteral("before"));
        QTest::keyClick(bare.get(), Qt::Key_C, Qt::ControlModifier);
        ASSERT_EQ(clipboard.text(), u"cell"_qs);
    }
    clipboard.setText(QStringLiteral("before"));
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    ASSERT_TRUE(list->hasFocus());
    for (const auto& [key, modifiers] : std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>>{
             {Qt::Key_Z, Qt::ControlModifier},
             {Qt::Key_X, Qt::ControlModifier},
             {Qt::Key_C, Qt::ControlModifier},
             {Qt::Key_V, Qt::ControlModifier},
             {Qt::Key_Backspace, Qt::AltModifier},
             {Qt::Key_Delete, Qt::ShiftModifier},
             {Qt::Key_Insert, Qt::ControlModifier},
             {Qt::Key_Insert, Qt::ShiftModifier},
             {Qt::Key_F6, Qt::NoModifier},
             {Qt::Key_F6, Qt::ShiftModifier}}) {
        QTest::keyClick(list, key, modifiers);
        EXPECT_EQ(clipboard.text(), u"before"_qs) << key;
        EXPECT_TRUE(list->hasFocus()) << key;
    }
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), u"cell"_qs);
    EXPECT_EQ(frame->Commands().Accelerators().size(), 13U);
}

TEST_F(FrameTest, ItemsWhoseCommandNoMapHoldsAreDisabledAndDoNothing) {
    MakeFrame({ID_FILE_NEW});  // an application without About, exit or recent files
    for (const unsigned id : {ID_APP_ABOUT, ID_APP_EXIT}) {
        EXPECT_FALSE(Action(id).isEnabled()) << id;
    }
    EXPECT_FALSE(Button(ID_APP_ABOUT)->isEnabled());
    Action(ID_APP_ABOUT).trigger();
    QTest::keyClick(list, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(TakeLog(), std::vector<std::string>{"application:57600"});
}

TEST_F(FrameTest, ViewItemsToggleTheirBarAndShowItsState) {
    for (const unsigned id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
        QWidget* bar = id == ID_VIEW_TOOLBAR ? static_cast<QWidget*>(frame->ToolBar())
                                             : static_cast<QWidget*>(frame->StatusBar());
        QAction& item = Action(id);
        EXPECT_TRUE(item.isCheckable()) << id;
        EXPECT_TRUE(item.isChecked()) << id;
        item.trigger();
        EXPECT_FALSE(bar->isVisible()) << id;
        EXPECT_FALSE(item.isChecked()) << id;
        item.trigger();
        EXPECT_TRUE(bar->isVisible()) << id;
        EXPECT_TRUE(item.isChecked()) << id;
    }
    EXPECT_TRUE(frame->DialogBar()->isVisible()) << "the dialog bar stays";
}

TEST_F(FrameTest, ButtonsShowTheirPromptAndOnlyTheAboutButtonATooltip) {
    const FrameStatusBar& statusBar = *frame->StatusBar();
    EXPECT_EQ(statusBar.IdleText(), u"就绪"_qs);
    EXPECT_TRUE(statusBar.currentMessage().isEmpty());

    for (const auto& [id, prompt, tooltip] : std::vector<std::tuple<unsigned, QString, QString>>{
             {ID_FILE_OPEN, u"选择搜索路径...."_qs, QString()},
             {ID_COPY_TO, u"把选定文件复制到...."_qs, QString()},
             {ID_APP_ABOUT, u"显示程序信息、版本号和版权"_qs, u"关于"_qs}}) {
        QWidget* button = Button(id);
        const QPoint centre = button->rect().center();
        QEnterEvent enter(centre, button->mapTo(frame.get(), centre), button->mapToGlobal(centre));
        QApplication::sendEvent(button, &enter);
        EXPECT_EQ(statusBar.currentMessage(), prompt) << id;

        QToolTip::hideText();
        QHelpEvent help(QEvent::ToolTip, centre, button->mapToGlobal(centre));
        QApplication::sendEvent(button, &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), tooltip) << id;

        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
        EXPECT_TRUE(statusBar.currentMessage().isEmpty()) << id;
    }
}

TEST_F(FrameTest, HighlightedMenuItemShowsItsPrompt) {
    QMenu& file = *frame->FileMenu();
    frame->menuBar()->setActiveAction(file.menuAction());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&file));
    file.setActiveAction(&Action(ID_FILE_SAVE));
    EXPECT_EQ(frame->StatusBar()->currentMessage(), u"保存活动文档"_qs);
    file.setActiveAction(&Action(ID_APP_EXIT));
    EXPECT_EQ(frame->StatusBar()->currentMessage(), u"退出应用程序；提示保存文档"_qs);
    file.close();
}

TEST_F(FrameTest, IndicatorsShowTheirTextWhileTheLockIsOn) {
    const FrameStatusBar& statusBar = *frame->StatusBar();
    auto texts = [&statusBar] {
        return QStringList{statusBar.IndicatorText(ID_INDICATOR_CAPS),
                           statusBar.IndicatorText(ID_INDICATOR_NUM),
                           statusBar.IndicatorText(ID_INDICATOR_SCRL)};
    };
    EXPECT_EQ(texts(), (QStringList{{}, {}, {}}));

    lockKeys = {.capsLock = true};
    QTest::keyClick(list, Qt::Key_CapsLock);
    EXPECT_EQ(texts(), (QStringList{u"CAP"_qs, {}, {}}));

    lockKeys = {.numLock = true, .scrollLock = true};
    QTest::keyClick(list, Qt::Key_ScrollLock);
    EXPECT_EQ(texts(), (QStringList{{}, u"NUM"_qs, u"SCRL"_qs}));
}

TEST_F(FrameTest, RecentFilesReplaceThePlaceholderInOrder) {
    recentFiles.Add(u"/docs/old.doc"_qs);
    recentFiles.Add(u"/docs/R&D.doc"_qs);
    std::vector<MenuEntry> entries = EntriesOf(*frame->FileMenu());
    EXPECT_EQ(std::vector<MenuEntry>(entries.begin() + 5, entries.end()),
              (std::vector<MenuEntry>{{u"-"_qs, true},
                                      {u"&1 /docs/R&&D.doc"_qs, true},
                                      {u"&2 /docs/old.doc"_qs, true},
                                      {u"-"_qs, true},
                                      {u"退出(&X)"_qs, true}}));

    recentFiles.Remove(0);
    recentFiles.Remove(0);
    entries = EntriesOf(*frame->FileMenu());
    EXPECT_EQ(entries[6], (MenuEntry{u"最近的文件"_qs, false}));
    EXPECT_EQ(entries.size(), 9U);
    Action(ID_FILE_MRU_FILE1).trigger();
    EXPECT_TRUE(TakeLog().empty());
}

}  // namespace
}  // namespace kalvor::app
