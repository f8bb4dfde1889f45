#pragma once

#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace kalvor::results {

// A fresh menu of the drop-down of menu 130, shown on a right click on a selection; each action
// carries its command identifier.
std::unique_ptr<QMenu> BuildRightMenu(QWidget* parent);

// The command identifier an action of such a menu carries.
unsigned CommandOf(const QAction& action);

}  // namespace kalvor::results
