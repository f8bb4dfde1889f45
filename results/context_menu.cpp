#include "results/context_menu.h"

#include <QMenu>

#include "res/resource.h"

namespace kalvor::results {

const std::array<MenuItem, 7> kRightMenuItems{{
    {ID_SHELL_OPEN, u"Shell 打开"},
    {ID_OPEN_FOLDER, u"打开所在文件夹"},
    {0, nullptr},
    {ID_COPY_TO, u"复制到...."},
    {0, nullptr},
    {ID_DELETE_FILE, u"删除文件"},
    {ID_REMOVE_FROM_LIST, u"删除列表"},
}};

std::unique_ptr<QMenu> BuildRightMenu(QWidget* parent) {
    auto menu = std::make_unique<QMenu>(parent);
    for (const MenuItem& item : kRightMenuItems) {
        if (item.id == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf16(item.text));
        action->setData(item.id);
    }
    return menu;
}

unsigned CommandOf(const QAction& action) {
    return action.data().toUInt();
}

}  // namespace kalvor::results
