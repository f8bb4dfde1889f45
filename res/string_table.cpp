#include "res/string_table.h"

#include <QStringList>
#include <algorithm>
#include <array>

#include "res/resource.h"

namespace kalvor::res {

namespace {

constexpr char16_t kOpenThisDocument[] = u"打开此文档";

constexpr std::array<StringRow, 52> kStringTable{{
    {IDP_OLE_INIT_FAILED, u"OLE 初始化失败。请确保 OLE 库是正确的版本。"},
    {IDR_MAINFRAME, u"kalvor\n\nkalvor\n\n\nkalvor.Document\nkalvor.Document"},
    {ID_COPY_TO, u"把选定文件复制到...."},
    {ID_FILE_EXPORT, u"把结果列表和未能检查的文件导出为 CSV 文件\n导出结果"},
    {ID_FILE_SEARCH_TYPES,
     u"选择搜索哪些类型的文档，以及标志的两个字之间可以有哪些空白\n搜索的文件类型"},
    {ID_VIEW_EVIDENCE_PANE, u"在列表下方显示或隐藏所选文件的判断依据\n切换判断依据"},
    {ID_VIEW_GRADE_COLUMN, u"显示或隐藏“判断”列\n切换判断列"},
    {AFX_IDS_APP_TITLE, u"kalvor"},
    {AFX_IDS_IDLEMESSAGE, u"就绪"},
    {ID_FILE_NEW, u"创建新文档\n新建"},
    {ID_FILE_OPEN, u"选择搜索路径...."},
    {ID_FILE_SAVE, u"保存活动文档\n保存"},
    {ID_FILE_MRU_FILE1, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 1, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 2, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 3, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 4, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 5, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 6, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 7, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 8, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 9, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 10, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 11, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 12, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 13, kOpenThisDocument},
    {ID_FILE_MRU_FILE1 + 14, kOpenThisDocument},
    {ID_FILE_MRU_FILE16, kOpenThisDocument},
    {ID_EDIT_COPY, u"复制选定内容并将其放到剪贴板上\n复制"},
    {ID_EDIT_CUT, u"剪切选定内容并将其放到剪贴板上\n剪切"},
    {ID_EDIT_PASTE, u"插入剪贴板内容\n粘贴"},
    {ID_EDIT_UNDO, u"撤消上一操作\n撤消"},
    {ID_APP_ABOUT, u"显示程序信息、版本号和版权\n关于"},
    {ID_APP_EXIT, u"退出应用程序；提示保存文档\n退出"},
    {ID_NEXT_PANE, u"切换到下一个窗格\n下一窗格"},
    {ID_PREV_PANE, u"切换回上一个窗格\n上一窗格"},
    {ID_INDICATOR_EXT, u"EXT"},
    {ID_INDICATOR_CAPS, u"CAP"},
    {ID_INDICATOR_NUM, u"NUM"},
    {ID_INDICATOR_SCRL, u"SCRL"},
    {ID_INDICATOR_OVR, u"OVR"},
    {ID_INDICATOR_REC, u"REC"},
    {ID_VIEW_TOOLBAR, u"显示或隐藏工具栏\n切换工具栏"},
    {ID_VIEW_STATUS_BAR, u"显示或隐藏状态栏\n切换状态栏"},
    {AFX_IDS_SAVEFILE, u"另存为"},
    {AFX_IDS_ALLFILTER, u"所有文件(*.*)"},
    {AFX_IDS_UNTITLED, u"无标题"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, u"打开文档失败。"},
    {AFX_IDP_FAILED_TO_SAVE_DOC, u"保存文档失败。"},
    {AFX_IDP_FAILED_INVALID_PATH, u"“%1”的路径无效，或者该文件已不存在。"},
    {AFX_IDP_FAILED_ACCESS_READ, u"无法读取“%1”：没有访问权限。"},
    {AFX_IDP_FAILED_ACCESS_WRITE, u"无法保存“%1”：文件是只读的，或者没有写入权限。"},
}};

}  // namespace

std::span<const StringRow> StringTable() {
    return kStringTable;
}

QString LoadString(unsigned id) {
    const auto row = std::ranges::find(kStringTable, id, &StringRow::id);
    return row == kStringTable.end() ? QString() : QString::fromUtf16(row->text);
}

QString PromptOf(unsigned id) {
    return LoadString(id).section(u'\n', 0, 0);
}

QString TooltipOf(unsigned id) {
    const QString text = LoadString(id);
    const qsizetype lineBreak = text.indexOf(u'\n');
    return lineBreak < 0 ? QString() : text.mid(lineBreak + 1);
}

QString DocTemplateField(int index) {
    return LoadString(IDR_MAINFRAME).split(u'\n').value(index);
}

}  // namespace kalvor::res
