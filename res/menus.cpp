#include "res/menus.h"

#include <array>

#include "res/resource.h"

namespace kalvor::res {

namespace {

constexpr std::array<MenuItem, 9> kFileItems{{
    {ID_FILE_OPEN, u"打开(&O)...\tCtrl+O", 0},
    {ID_FILE_SEARCH_TYPES, u"搜索的文件类型(&T)...", 0},
    {0, nullptr, 0},
    {ID_FILE_SAVE, u"保存(&S)\tCtrl+S", 0},
    {ID_FILE_EXPORT, u"导出结果(&E)...", 0},
    {0, nullptr, 0},
    {ID_FILE_MRU_FILE1, u"最近的文件", kMenuGrayed},
    {0, nullptr, 0},
    {ID_APP_EXIT, u"退出(&X)", kMenuEnd},
}};

constexpr std::array<MenuItem, 5> kViewItems{{
    {ID_VIEW_TOOLBAR, u"工具栏(&T)", 0},
    {ID_VIEW_STATUS_BAR, u"状态栏(&S)", 0},
    {0, nullptr, 0},
    {ID_VIEW_EVIDENCE_PANE, u"判断依据(&E)", 0},
    {ID_VIEW_GRADE_COLUMN, u"判断列(&G)", kMenuEnd},
}};

constexpr std::array<MenuItem, 1> kHelpItems{{
    {ID_APP_ABOUT, u"关于 kalvor(&A)...", kMenuEnd},
}};

constexpr std::array<MenuPopup, 3> kMainMenu{{
    {u"文件(&F)", kMenuPopup, kFileItems},
    {u"视图(&V)", kMenuPopup, kViewItems},
    {u"帮助(&H)", kMenuPopup | kMenuEnd, kHelpItems},
}};

constexpr std::array<MenuItem, 7> kRightMenuItems{{
    {ID_SHELL_OPEN, u"Shell 打开", 0},
    {ID_OPEN_FOLDER, u"打开所在文件夹", 0},
    {0, nullptr, 0},
    {ID_COPY_TO, u"复制到....", 0},
    {0, nullptr, 0},
    {ID_DELETE_FILE, u"删除文件", 0},
    {ID_REMOVE_FROM_LIST, u"删除列表", kMenuEnd},
}};

constexpr std::array<MenuPopup, 1> kRightMenu{{
    {u"RightMenu", kMenuPopup | kMenuEnd, kRightMenuItems},
}};

}  // namespace

std::span<const MenuPopup> LoadMenu(unsigned id) {
    switch (id) {
        case IDR_MAINFRAME:
            return kMainMenu;
        case IDR_RIGHTMENU:
            return kRightMenu;
        default:
            return {};
    }
}

}  // namespace kalvor::res
