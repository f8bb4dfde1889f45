#pragma once

#include <array>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace kalvor::results {

struct MenuItem {
    unsigned id;  // 0: a separator
    const char16_t* text;
};

// The drop-down of menu 130, shown on a right click on a selection, top to bottom.
extern const std::array<MenuItem, 7> kRightMenuItems;

// A fresh menu of those items; each action carries its command identifier.
std::unique_ptr<QMenu> BuildRightMenu(QWidget* parent);

// The command identifier an action of such a menu carries.
unsigned CommandOf(const QAction& action);

}  // namespace kalvor::results
