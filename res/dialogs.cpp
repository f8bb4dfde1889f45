#include "res/dialogs.h"

#include <array>

#include "kalvor/version.h"
#include "res/resource.h"

namespace kalvor::res {

namespace {

constexpr std::array<DialogControl, 5> kAboutBoxControls{{
    {IDC_STATIC, ControlKind::Icon, nullptr, IDR_MAINFRAME, QRect(14, 14, 20, 20)},
    {IDC_STATIC, ControlKind::Text, u"kalvor, Version " KALVOR_VERSION_MAJOR_MINOR, 0,
     QRect(67, 14, 74, 8)},
    {IDC_STATIC, ControlKind::Text, u"版权所有 (C) 2026", 0, QRect(54, 28, 128, 8)},
    {IDOK, ControlKind::DefaultButton, u"确定", 0, QRect(180, 56, 50, 14)},
    {IDC_STATIC, ControlKind::Text, u"只能处理office 97 - office 2003 生成的word文档", 0,
     QRect(37, 43, 168, 13)},
}};

constexpr DialogTemplate kAboutBox{QSize(237, 77), u"关于 kalvor", u"MS Shell Dlg", 9,
                                   kAboutBoxControls};

constexpr DialogTemplate kDialogBar{QSize(330, 16), nullptr, u"MS Shell Dlg", 9, {}};

}  // namespace

const DialogTemplate* LoadDialog(unsigned id) {
    switch (id) {
        case IDD_ABOUTBOX:
            return &kAboutBox;
        case IDD_DIALOGBAR:
            return &kDialogBar;
        default:
            return nullptr;
    }
}

}  // namespace kalvor::res
