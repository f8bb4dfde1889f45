#include "app/command_actions.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>

#include "res/accelerators.h"
#include "res/menus.h"
#include "res/string_table.h"
#include "res/toolbar.h"

namespace kalvor::app {

namespace {

// Swallows the tooltip of a toolbar button whose command's string has no tooltip line; Qt would
// otherwise show the action's text.
class NoDefaultToolTip final : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) {
            return false;
        }
        const auto* button = qobject_cast<QToolButton*>(watched);
        if (button == nullptr || button->defaultAction() == nullptr ||
            !res::TooltipOf(CommandOf(*button->defaultAction())).isEmpty()) {
            return false;
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
};

}  // namespace

CommandActions::CommandActions(QWidget& frame, Execute execute)
    : QObject(&frame), frame_(frame), execute_(std::move(execute)) {}

QAction& CommandActions::Get(unsigned id) {
    if (QAction* existing = Find(id)) {
        return *existing;
    }
    // Owned by the frame, so that a status tip with no menu to carry it still reaches the frame.
    auto* action = new QAction(res::PromptOf(id), &frame_);
    action->setData(id);
    action->setStatusTip(res::PromptOf(id));
    action->setToolTip(res::TooltipOf(id));
    action->setIconVisibleInMenu(false);
    connect(action, &QAction::triggered, this, [this, id] { execute_(id); });
    actions_.emplace(id, action);
    return *action;
}

QAction* CommandActions::Find(unsigned id) const {
    const auto found = actions_.find(id);
    return found == actions_.end() ? nullptr : found->second;
}

void CommandActions::Remove(unsigned id) {
    const auto found = actions_.find(id);
    if (found != actions_.end()) {
        delete found->second;
        actions_.erase(found);
    }
}

std::vector<QMenu*> CommandActions::BuildMenuBar(QMenuBar& bar, unsigned menuId) {
    std::vector<QMenu*> menus;
    for (const res::MenuPopup& popup : res::LoadMenu(menuId)) {
        QMenu* menu = bar.addMenu(QString::fromUtf16(popup.text));
        for (const res::MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction& action = Get(item.id);
            action.setText(QString::fromUtf16(item.text));
            action.setEnabled((item.flags & res::kMenuGrayed) == 0);
            menu->addAction(&action);
        }
        menus.push_back(menu);
    }
    return menus;
}

void CommandActions::BuildToolBar(QToolBar& bar, unsigned toolbarId) {
    const res::Toolbar toolbar = res::LoadToolbar(toolbarId);
    const QImage strip = res::LoadToolbarBitmap(toolbarId, bar.palette());
    bar.setIconSize(toolbar.imageSize);
    auto* filter = new NoDefaultToolTip(&bar);
    int image = 0;
    for (const unsigned id : toolbar.entries) {
        if (id == 0) {
            bar.addSeparator();
            continue;
        }
        QAction& action = Get(id);
        action.setIcon(QPixmap::fromImage(
            strip.copy(QRect(QPoint(image++ * toolbar.imageSize.width(), 0), toolbar.imageSize))));
        bar.addAction(&action);
        bar.widgetForAction(&action)->installEventFilter(filter);
    }
}

void CommandActions::BuildAccelerators(unsigned tableId) {
    for (const res::Accelerator& entry : res::LoadAccelerators(tableId)) {
        auto* shortcut = new QShortcut(res::KeySequenceOf(entry), &frame_);
        shortcut->setContext(Qt::WindowShortcut);
        const unsigned id = entry.command;
        connect(shortcut, &QShortcut::activated, this, [this, id] { execute_(id); });
        accelerators_.push_back(shortcut);
    }
}

void CommandActions::UpdateEnabled(const std::function<bool(unsigned id)>& isEnabled) {
    for (const auto& [id, action] : actions_) {
        action->setEnabled(isEnabled(id));
    }
}

unsigned CommandOf(const QAction& action) {
    return action.data().toUInt();
}

}  // namespace kalvor::app
