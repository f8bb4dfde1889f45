#pragma once

#include <span>

namespace kalvor::res {

// Item flags of a menu template.
enum MenuFlag : unsigned {
    kMenuGrayed = 0x01,
    kMenuPopup = 0x10,
    kMenuEnd = 0x80,  // last item of its drop-down or of the menu bar
};

// One item of a drop-down; identifier 0 without text is a separator.
struct MenuItem {
    unsigned id;
    const char16_t* text;
    unsigned flags;
};

// One popup entry of a menu bar with its drop-down.
struct MenuPopup {
    const char16_t* text;
    unsigned flags;
    std::span<const MenuItem> items;
};

// Menu `id` (IDR_MAINFRAME or IDR_RIGHTMENU): its popups, left to right; empty for an
// unknown identifier.
std::span<const MenuPopup> LoadMenu(unsigned id);

}  // namespace kalvor::res
