#include "app/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDockWidget>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <array>

#include "app/frame_status_bar.h"
#include "app/recent_file_list.h"
#include "commands/command_map.h"
#include "res/dialog_units.h"
#include "res/dialogs.h"
#include "res/icons.h"
#include "res/resource.h"

namespace kalvor::app {

namespace {

constexpr std::array<unsigned, 4> kIndicators{ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                              ID_INDICATOR_SCRL};

// The View items that show a choice, on or off.
constexpr std::array<unsigned, 4> kChoiceItems{ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                                               ID_VIEW_EVIDENCE_PANE, ID_VIEW_GRADE_COLUMN};

constexpr std::array kCommandEntries{
    commands::OnCommandRangeEntry<CMainFrame>(ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR,
                                              &CMainFrame::OnBarCheck),
};
constexpr commands::CommandMap<CMainFrame> kCommandMap(kCommandEntries);

bool IsRecentFileCommand(unsigned id) {
    return id >= ID_FILE_MRU_FILE1 && id <= ID_FILE_MRU_FILE16;
}

// A band of the strip at the top: it stays in the strip, and has a gripper when it holds
// something to move (a gripper before an empty strip only invites a drag that changes nothing).
void MakeBand(QToolBar& band, bool holdsSomething) {
    band.setMovable(holdsSomething);
    band.setFloatable(false);
    band.setAllowedAreas(Qt::TopToolBarArea);
}

}  // namespace

CMainFrame::CMainFrame(const FrameContext& context)
    : recentFiles_(context.recentFiles),
      router_{context.viewCommands, context.document, this, context.application},
      commands_(new CommandActions(*this, [this](unsigned id) { ExecuteCommand(id); })) {
    // The caption stays what the tool does, whatever the document is called.
    setWindowTitle(QStringLiteral("在 .doc 文档中查找 秘密 机密 绝密"));
    setWindowIcon(res::LoadIcon(IDR_MAINFRAME));

    for (QMenu* menu : commands_->BuildMenuBar(*menuBar(), IDR_MAINFRAME)) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
        connect(menu, &QMenu::aboutToHide, this, &CMainFrame::GiveKeysBackToTheView);
        if (menu->actions().contains(commands_->Find(ID_FILE_MRU_FILE1))) {
            fileMenu_ = menu;
        }
    }
    recentFilePlaceholder_ = commands_->Get(ID_FILE_MRU_FILE1).text();
    for (const unsigned id : kChoiceItems) {
        commands_->Get(id).setCheckable(true);
    }

    setCentralWidget(context.view);
    CreateToolBar();
    CreateDialogBar();
    CreateStatusBar(context.lockKeys);
    if (context.belowView != nullptr) {
        CreateBelowView(context.belowView);
    }
    commands_->BuildAccelerators(IDR_MAINFRAME);
    if (recentFiles_ != nullptr) {
        connect(recentFiles_, &RecentFileList::Changed, this, &CMainFrame::UpdateRecentFileMenu);
    }
    UpdateRecentFileMenu();

    if (const QScreen* display = screen()) {
        // Wide enough that all five columns show at first, where the screen allows.
        resize((display->availableSize() * 3 / 4)
                   .expandedTo(sizeHint())
                   .boundedTo(display->availableSize()));
    }
    context.view->setFocus();
}

void CMainFrame::CreateToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    MakeBand(*toolBar_, true);
    commands_->BuildToolBar(*toolBar_, IDR_MAINFRAME);
    addToolBar(Qt::TopToolBarArea, toolBar_);
}

void CMainFrame::CreateDialogBar() {
    const res::DialogTemplate& bar = *res::LoadDialog(IDD_DIALOGBAR);
    auto* strip = new QWidget;
    strip->setFixedSize(res::DialogUnits(res::DialogFont(bar)).ToPixels(bar.size));
    dialogBar_ = new QToolBar(this);
    dialogBar_->setObjectName(QStringLiteral("dialogBar"));
    MakeBand(*dialogBar_, !bar.controls.empty());
    dialogBar_->addWidget(strip);
    addToolBar(Qt::TopToolBarArea, dialogBar_);
}

void CMainFrame::CreateStatusBar(LockKeyQuery lockKeys) {
    statusBar_ = new FrameStatusBar(kIndicators, std::move(lockKeys), this);
    setStatusBar(statusBar_);
}

void CMainFrame::CreateBelowView(QWidget* pane) {
    // Part of the window, not a tool window: no title, nothing to float, move or close; the View
    // menu shows and hides it, and its top edge sets its height.
    belowView_ = new QDockWidget(this);
    belowView_->setObjectName(QStringLiteral("belowView"));
    belowView_->setFeatures(QDockWidget::NoDockWidgetFeatures);
    belowView_->setAllowedAreas(Qt::BottomDockWidgetArea);
    belowView_->setTitleBarWidget(new QWidget(belowView_));
    belowView_->setWidget(pane);
    addDockWidget(Qt::BottomDockWidgetArea, belowView_);
}

void CMainFrame::ExecuteCommand(unsigned id) {
    if (IsCommandEnabled(id)) {
        router_.Execute(id);
    }
    UpdateCommandUI();
}

bool CMainFrame::HasCommand(unsigned id) const {
    return kCommandMap.Has(id);
}

bool CMainFrame::IsCommandChecked(unsigned id) const {
    const QWidget* bar = BarOf(id);
    return bar != nullptr && !bar->isHidden();
}

bool CMainFrame::OnCommand(unsigned id) {
    return kCommandMap.Dispatch(*this, id);
}

void CMainFrame::OnBarCheck(unsigned id) {
    if (QWidget* bar = BarOf(id)) {
        bar->setHidden(!bar->isHidden());
    }
}

void CMainFrame::UpdateCommandUI() {
    commands_->UpdateEnabled([this](unsigned id) { return IsCommandEnabled(id); });
    for (const unsigned id : kChoiceItems) {
        commands_->Get(id).setChecked(router_.IsChecked(id));
    }
}

void CMainFrame::GiveKeysBackToTheView() {
    // Once the drop-down has gone: by then a neighbour the arrows opened has taken its place, or a
    // chosen command has given the keys back already.
    QTimer::singleShot(0, this, [this] {
        if (QApplication::activePopupWidget() == nullptr && menuBar()->hasFocus()) {
            centralWidget()->setFocus(Qt::MenuBarFocusReason);
        }
    });
}

void CMainFrame::UpdateRecentFileMenu() {
    const qsizetype count = recentFiles_ != nullptr ? recentFiles_->Entries().size() : 0;
    for (unsigned id = ID_FILE_MRU_FILE1 + 1; id <= ID_FILE_MRU_FILE16; ++id) {
        commands_->Remove(id);
    }
    QAction& first = commands_->Get(ID_FILE_MRU_FILE1);
    const QString currentDirectory = QDir::currentPath();
    first.setText(count == 0 ? recentFilePlaceholder_
                             : recentFiles_->MenuText(0, currentDirectory));
    const QList<QAction*> items = fileMenu_->actions();
    QAction* before = items.value(items.indexOf(&first) + 1);
    for (int index = 1; index < count; ++index) {
        QAction& entry = commands_->Get(ID_FILE_MRU_FILE1 + static_cast<unsigned>(index));
        entry.setText(recentFiles_->MenuText(index, currentDirectory));
        fileMenu_->insertAction(before, &entry);
    }
    UpdateCommandUI();
}

QMenu* CMainFrame::createPopupMenu() {
    return nullptr;  // the bars are switched from the View menu only
}

bool CMainFrame::IsCommandEnabled(unsigned id) const {
    if (IsRecentFileCommand(id)) {
        const qsizetype index = id - ID_FILE_MRU_FILE1;
        if (recentFiles_ == nullptr || index >= recentFiles_->Entries().size()) {
            return false;
        }
    }
    return router_.IsEnabled(id);
}

QWidget* CMainFrame::BarOf(unsigned id) const {
    switch (id) {
        case ID_VIEW_TOOLBAR:
            return toolBar_;
        case ID_VIEW_STATUS_BAR:
            return statusBar_;
        default:
            return nullptr;
    }
}

}  // namespace kalvor::app
