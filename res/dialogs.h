#pragma once

#include <QRect>
#include <span>

namespace kalvor::res {

enum class ControlKind {
    Icon,           // static picture of an icon resource
    Text,           // static text, left-aligned
    DefaultButton,  // the default push button
};

// One control of a dialog template; position and size in dialog units.
struct DialogControl {
    int id;
    ControlKind kind;
    const char16_t* text;  // for Icon: none
    unsigned icon;         // for Icon: the icon resource
    QRect rect;
};

// A dialog template: size in dialog units, caption, font and controls in tab order.
struct DialogTemplate {
    QSize size;
    const char16_t* caption;  // none for a child template
    const char16_t* fontFace;
    int fontPointSize;
    std::span<const DialogControl> controls;
};

// Dialog template `id`: IDD_ABOUTBOX or IDD_DIALOGBAR; nullptr for an unknown identifier.
const DialogTemplate* LoadDialog(unsigned id);

}  // namespace kalvor::res
