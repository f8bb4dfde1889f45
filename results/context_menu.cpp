#include "results/context_menu.h"

#include <QMenu>

#include "res/menus.h"
#include "res/resource.h"

namespace kalvor::results {

std::unique_ptr<QMenu> BuildRightMenu(QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    for (const res::MenuPopup& popup : res::LoadMenu(IDR_RIGHTMENU).first(1)) {
        for (const res::MenuItem& item : popup.items) {
            if (item.id == 0) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromUtf16(item.text));
            action->setData(item.id);
        }
    }
    return menu;
}

unsigned CommandOf(const QAction& action) {
    return action.data().toUInt();
}

}  // namespace kalvor::results
