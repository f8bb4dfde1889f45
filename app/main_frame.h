#pragma once

#include <QMainWindow>
#include <QString>

#include "app/command_actions.h"
#include "app/lock_keys.h"
#include "commands/command_router.h"
#include "commands/command_target.h"

class QDockWidget;
class QMenu;
class QToolBar;

namespace kalvor::app {

class FrameStatusBar;
class RecentFileList;

// What the frame binds together when it is created.
struct FrameContext {
    QWidget* view = nullptr;       // the client area; the frame takes it over
    QWidget* belowView = nullptr;  // a pane under it, when there is one; the frame takes it over
    commands::CommandTarget* viewCommands = nullptr;
    commands::CommandTarget* document = nullptr;
    commands::CommandTarget* application = nullptr;
    const RecentFileList* recentFiles = nullptr;
    LockKeyQuery lockKeys = QueryLockKeys;
};

// The main window: the fixed caption, the menu bar, a band strip with the toolbar and the empty
// dialog bar, the status bar, the view in the rest and a pane below it. Commands from its menus,
// toolbar and accelerators go to the view, the document, the frame and the application, in that
// order.
class CMainFrame final : public QMainWindow, public commands::CommandTarget {
    Q_OBJECT

  public:
    explicit CMainFrame(const FrameContext& context);

    // Runs command `id` if its item is enabled; as the framework does, the items' states are
    // brought up to date afterwards.
    void ExecuteCommand(unsigned id);

    bool HasCommand(unsigned id) const override;
    bool IsCommandChecked(unsigned id) const override;
    bool OnCommand(unsigned id) override;

    // Shows a hidden bar or hides a visible one: the toolbar for ID_VIEW_TOOLBAR, the status
    // bar for ID_VIEW_STATUS_BAR.
    void OnBarCheck(unsigned id);

    // Enables each item whose command has a handler and checks the View items whose choice is
    // on (the bars that show), as the framework does when a drop-down opens.
    void UpdateCommandUI();
    // Shows the recent-file list in place of the item "最近的文件", or that item grayed while the
    // list is empty.
    void UpdateRecentFileMenu();

    QToolBar* ToolBar() const { return toolBar_; }
    QToolBar* DialogBar() const { return dialogBar_; }
    FrameStatusBar* StatusBar() const { return statusBar_; }
    // Holds the pane below the view; nothing without one.
    QDockWidget* BelowView() const { return belowView_; }
    const CommandActions& Commands() const { return *commands_; }
    QMenu* FileMenu() const { return fileMenu_; }

  protected:
    QMenu* createPopupMenu() override;

  private:
    // A drop-down closed with Esc leaves the menu bar holding the keys until a second Esc, so the
    // list would take neither Ctrl+A nor the arrows until clicked: the view gets them back.
    void GiveKeysBackToTheView();
    bool IsCommandEnabled(unsigned id) const;
    QWidget* BarOf(unsigned id) const;
    void CreateToolBar();
    void CreateDialogBar();
    void CreateStatusBar(LockKeyQuery lockKeys);
    void CreateBelowView(QWidget* pane);

    const RecentFileList* recentFiles_;
    commands::CommandRouter router_;
    CommandActions* commands_;
    QToolBar* toolBar_ = nullptr;
    QToolBar* dialogBar_ = nullptr;
    FrameStatusBar* statusBar_ = nullptr;
    QDockWidget* belowView_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QString recentFilePlaceholder_;
};

}  // namespace kalvor::app
