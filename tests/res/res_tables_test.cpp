#include <gtest/gtest.h>

#include <QPalette>
#include <algorithm>
#include <ostream>
#include <vector>

#include "res/accelerators.h"
#include "res/menus.h"
#include "res/resource.h"
#include "res/string_table.h"

namespace kalvor::res {
namespace {

struct ExpectedItem {
    unsigned id;
    QString text;
    unsigned flags;
};

std::vector<ExpectedItem> ItemsOf(const MenuPopup& popup) {
    std::vector<ExpectedItem> items;
    for (const MenuItem& item : popup.items) {
        items.push_back(
            {item.id, item.text ? QString::fromUtf16(item.text) : QString(), item.flags});
    }
    return items;
}

bool operator==(const ExpectedItem& a, const ExpectedItem& b) {
    return a.id == b.id && a.text == b.text && a.flags == b.flags;
}

void PrintTo(const ExpectedItem& item, std::ostream* out) {
    *out << item.id << " \"" << item.text.toStdString() << "\" " << item.flags;
}

TEST(StringTableTest, RowsAreUniqueAndInIdentifierOrder) {
    const auto table = StringTable();
    EXPECT_TRUE(std::ranges::is_sorted(table, {}, &StringRow::id));
    EXPECT_EQ(std::ranges::adjacent_find(table, {}, &StringRow::id), table.end());
}

TEST(StringTableTest, PromptsAndTooltipsStayWithinTheirLimits) {
    for (const StringRow& row : StringTable()) {
        EXPECT_LE(PromptOf(row.id).size(), 255) << row.id;
        EXPECT_LE(TooltipOf(row.id).size(), 79) << row.id;
    }
}

TEST(StringTableTest, QuotedRowsReadWordForWord) {
    const std::vector<std::pair<unsigned, QString>> rows{
        {IDP_OLE_INIT_FAILED, u"OLE 初始化失败。请确保 OLE 库是正确的版本。"_qs},
        {IDR_MAINFRAME, u"kalvor\n\nkalvor\n\n\nkalvor.Document\nkalvor.Document"_qs},
        {AFX_IDS_APP_TITLE, u"kalvor"_qs},
        {AFX_IDS_IDLEMESSAGE, u"就绪"_qs},
        {ID_FILE_NEW, u"创建新文档\n新建"_qs},
        {ID_FILE_OPEN, u"选择搜索路径...."_qs},
        {ID_FILE_SAVE, u"保存活动文档\n保存"_qs},
        {ID_FILE_MRU_FILE1, u"打开此文档"_qs},
        {ID_FILE_MRU_FILE16, u"打开此文档"_qs},
        {ID_APP_ABOUT, u"显示程序信息、版本号和版权\n关于"_qs},
        {ID_APP_EXIT, u"退出应用程序；提示保存文档\n退出"_qs},
        {ID_VIEW_TOOLBAR, u"显示或隐藏工具栏\n切换工具栏"_qs},
        {ID_VIEW_STATUS_BAR, u"显示或隐藏状态栏\n切换状态栏"_qs},
        {ID_COPY_TO, u"把选定文件复制到...."_qs},
        {ID_EDIT_UNDO, u"撤消上一操作\n撤消"_qs},
        {ID_EDIT_CUT, u"剪切选定内容并将其放到剪贴板上\n剪切"_qs},
        {ID_EDIT_COPY, u"复制选定内容并将其放到剪贴板上\n复制"_qs},
        {ID_EDIT_PASTE, u"插入剪贴板内容\n粘贴"_qs},
        {ID_NEXT_PANE, u"切换到下一个窗格\n下一窗格"_qs},
        {ID_PREV_PANE, u"切换回上一个窗格\n上一窗格"_qs},
        {ID_INDICATOR_EXT, u"EXT"_qs},
        {ID_INDICATOR_CAPS, u"CAP"_qs},
        {ID_INDICATOR_NUM, u"NUM"_qs},
        {ID_INDICATOR_SCRL, u"SCRL"_qs},
        {ID_INDICATOR_OVR, u"OVR"_qs},
        {ID_INDICATOR_REC, u"REC"_qs},
        {AFX_IDS_SAVEFILE, u"另存为"_qs},
        {AFX_IDS_ALLFILTER, u"所有文件(*.*)"_qs},
        {AFX_IDS_UNTITLED, u"无标题"_qs},
        {AFX_IDP_FAILED_TO_OPEN_DOC, u"打开文档失败。"_qs},
        {AFX_IDP_FAILED_TO_SAVE_DOC, u"保存文档失败。"_qs},
    };
    for (const auto& [id, text] : rows) {
        EXPECT_EQ(LoadString(id), text) << id;
    }
    for (unsigned id = ID_FILE_MRU_FILE1; id <= ID_FILE_MRU_FILE16; ++id) {
        EXPECT_EQ(LoadString(id), u"打开此文档"_qs) << id;
    }
}

TEST(MenuTest, MainMenuHasThreeDropDownsWithTheirItemsAndFlags) {
    const auto menu = LoadMenu(IDR_MAINFRAME);
    ASSERT_EQ(menu.size(), 3U);
    EXPECT_EQ(QString::fromUtf16(menu[0].text), u"文件(&F)"_qs);
    EXPECT_EQ(QString::fromUtf16(menu[1].text), u"视图(&V)"_qs);
    EXPECT_EQ(QString::fromUtf16(menu[2].text), u"帮助(&H)"_qs);
    EXPECT_EQ(menu[0].flags, unsigned{kMenuPopup});
    EXPECT_EQ(menu[1].flags, unsigned{kMenuPopup});
    EXPECT_EQ(menu[2].flags, unsigned{kMenuPopup | kMenuEnd});

    const std::vector<ExpectedItem> file{
        {ID_FILE_OPEN, u"打开(&O)...\tCtrl+O"_qs, 0},
        {ID_FILE_SEARCH_TYPES, u"搜索的文件类型(&T)..."_qs, 0},
        {0, {}, 0},
        {ID_FILE_SAVE, u"保存(&S)\tCtrl+S"_qs, 0},
        {ID_FILE_EXPORT, u"导出结果(&E)..."_qs, 0},
        {0, {}, 0},
        {ID_FILE_MRU_FILE1, u"最近的文件"_qs, kMenuGrayed},
        {0, {}, 0},
        {ID_APP_EXIT, u"退出(&X)"_qs, kMenuEnd},
    };
    const std::vector<ExpectedItem> view{
        {ID_VIEW_TOOLBAR, u"工具栏(&T)"_qs, 0},
        {ID_VIEW_STATUS_BAR, u"状态栏(&S)"_qs, 0},
        {0, {}, 0},
        {ID_VIEW_EVIDENCE_PANE, u"判断依据(&E)"_qs, 0},
        {ID_VIEW_GRADE_COLUMN, u"判断列(&G)"_qs, kMenuEnd},
    };
    const std::vector<ExpectedItem> help{{ID_APP_ABOUT, u"关于 kalvor(&A)..."_qs, kMenuEnd}};
    EXPECT_EQ(ItemsOf(menu[0]), file);
    EXPECT_EQ(ItemsOf(menu[1]), view);
    EXPECT_EQ(ItemsOf(menu[2]), help);
    // The same mnemonic twice in one drop-down would make its letter pick the wrong item.
    for (const MenuPopup& popup : menu) {
        QString letters;
        for (const MenuItem& item : popup.items) {
            const QString text = item.text == nullptr ? QString() : QString::fromUtf16(item.text);
            const qsizetype amp = text.indexOf(u'&');
            if (amp >= 0 && amp + 1 < text.size() && text[amp + 1] != u'&') {
                EXPECT_FALSE(letters.contains(text[amp + 1].toUpper())) << text.toStdString();
                letters += text[amp + 1].toUpper();
            }
        }
    }
}

TEST(MenuTest, ContextMenuIsOnePopupWithSevenItems) {
    const auto menu = LoadMenu(IDR_RIGHTMENU);
    ASSERT_EQ(menu.size(), 1U);
    EXPECT_EQ(QString::fromUtf16(menu[0].text), u"RightMenu"_qs);
    const std::vector<ExpectedItem> items{
        {ID_SHELL_OPEN, u"Shell 打开"_qs, 0},
        {ID_OPEN_FOLDER, u"打开所在文件夹"_qs, 0},
        {0, {}, 0},
        {ID_COPY_TO, u"复制到...."_qs, 0},
        {0, {}, 0},
        {ID_DELETE_FILE, u"删除文件"_qs, 0},
        {ID_REMOVE_FROM_LIST, u"删除列表"_qs, kMenuEnd},
    };
    EXPECT_EQ(ItemsOf(menu[0]), items);
    EXPECT_TRUE(LoadMenu(12345).empty());
}

TEST(AcceleratorTest, ThirteenEntriesInTableOrder) {
    struct Expected {
        QString keys;
        unsigned command;
    };
    const std::vector<Expected> expected{
        {u"Ctrl+N"_qs, ID_FILE_NEW},      {u"Ctrl+O"_qs, ID_FILE_OPEN},
        {u"Ctrl+S"_qs, ID_FILE_SAVE},     {u"Ctrl+Z"_qs, ID_EDIT_UNDO},
        {u"Ctrl+X"_qs, ID_EDIT_CUT},      {u"Ctrl+C"_qs, ID_EDIT_COPY},
        {u"Ctrl+V"_qs, ID_EDIT_PASTE},    {u"Alt+Backspace"_qs, ID_EDIT_UNDO},
        {u"Shift+Del"_qs, ID_EDIT_CUT},   {u"Ctrl+Ins"_qs, ID_EDIT_COPY},
        {u"Shift+Ins"_qs, ID_EDIT_PASTE}, {u"F6"_qs, ID_NEXT_PANE},
        {u"Shift+F6"_qs, ID_PREV_PANE},
    };
    const auto table = LoadAccelerators(IDR_MAINFRAME);
    ASSERT_EQ(table.size(), expected.size());
    for (std::size_t index = 0; index < table.size(); ++index) {
        EXPECT_EQ(KeySequenceOf(table[index]).toString(QKeySequence::PortableText),
                  expected[index].keys)
            << index;
        EXPECT_EQ(table[index].command, expected[index].command) << index;
        EXPECT_EQ((table[index].flags & kAccelEnd) != 0, index + 1 == table.size()) << index;
    }
}

}  // namespace
}  // namespace kalvor::res
