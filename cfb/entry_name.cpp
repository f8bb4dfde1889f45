#include "cfb/entry_name.h"

#include <algorithm>

namespace kalvor::cfb {
namespace {

bool Within(char16_t c, char16_t first, char16_t last) {
    return c >= first && c <= last;
}

char16_t UpperCase(char16_t c) {
    if (Within(c, u'a', u'z') || (Within(c, u'\u00E0', u'\u00FE') && c != u'\u00F7') ||
        Within(c, u'\u03B1', u'\u03C1') || Within(c, u'\u03C3', u'\u03CB') ||
        Within(c, u'\u0430', u'\u044F') || Within(c, u'\uFF41', u'\uFF5A')) {
        return static_cast<char16_t>(c - 0x20);
    }
    if (Within(c, u'\u0450', u'\u045F')) {
        return static_cast<char16_t>(c - 0x50);
    }
    switch (c) {
        case u'\u00FF':
            return u'\u0178';
        case u'\u03C2':
            return u'\u03A3';
        default:
            return c;
    }
}

}  // namespace

bool SameEntryName(std::u16string_view a, std::u16string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char16_t x, char16_t y) { return UpperCase(x) == UpperCase(y); });
}

}  // namespace kalvor::cfb
