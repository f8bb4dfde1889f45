#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QShortcut;
class QToolBar;
class QWidget;

namespace kalvor::app {

// The frame's commands as Qt objects, built from the resource tables. Each command has one
// action, shared by its menu item and its toolbar button, carrying its identifier, with the
// command's prompt as status tip; each accelerator entry is a shortcut of the frame. Both hand
// the identifier to `execute`.
class CommandActions final : public QObject {
    Q_OBJECT

  public:
    using Execute = std::function<void(unsigned id)>;

    CommandActions(QWidget& frame, Execute execute);

    // The action of command `id`, made on first use.
    QAction& Get(unsigned id);
    QAction* Find(unsigned id) const;
    void Remove(unsigned id);
    const std::vector<QShortcut*>& Accelerators() const { return accelerators_; }

    // Fills `bar` from menu resource `menuId`; returns its drop-downs, left to right.
    std::vector<QMenu*> BuildMenuBar(QMenuBar& bar, unsigned menuId);
    // Fills `bar` from toolbar resource `toolbarId`. A button shows its command's tooltip, and
    // none when the command's string has no second line.
    void BuildToolBar(QToolBar& bar, unsigned toolbarId);
    void BuildAccelerators(unsigned tableId);

    void UpdateEnabled(const std::function<bool(unsigned id)>& isEnabled);

  private:
    QWidget& frame_;
    Execute execute_;
    std::map<unsigned, QAction*> actions_;
    std::vector<QShortcut*> accelerators_;
};

// The command identifier an action carries.
unsigned CommandOf(const QAction& action);

}  // namespace kalvor::app
