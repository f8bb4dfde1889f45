#include "platform/name_order.h"

#include <cstdint>
#include <optional>

#include "platform/utf8.h"

namespace kalvor::platform {

namespace {

// Units first..last map to unit + delta; an alternating rule maps only every second unit (the
// lower-case halves of upper/lower pairs starting at first) to the unit before it.
struct UpcaseRule {
    char16_t first;
    char16_t last;
    std::int32_t delta;
    bool alternating;
};

constexpr UpcaseRule kUpcaseRules[] = {
    {0x0061, 0x007A, -0x20, false}, {0x00E0, 0x00F6, -0x20, false}, {0x00F8, 0x00FE, -0x20, false},
    {0x00FF, 0x00FF, 0x79, false},  {0x0100, 0x012F, -1, true},     {0x0132, 0x0137, -1, true},
    {0x0139, 0x0148, -1, true},     {0x014A, 0x0177, -1, true},     {0x0179, 0x017E, -1, true},
    {0x01CD, 0x01DC, -1, true},     {0x01DE, 0x01EF, -1, true},     {0x01F8, 0x021F, -1, true},
    {0x0222, 0x0233, -1, true},     {0x03AC, 0x03AC, -0x26, false}, {0x03AD, 0x03AF, -0x25, false},
    {0x03B1, 0x03C1, -0x20, false}, {0x03C2, 0x03C2, -0x1F, false}, {0x03C3, 0x03CB, -0x20, false},
    {0x03CC, 0x03CC, -0x40, false}, {0x03CD, 0x03CE, -0x3F, false}, {0x03D8, 0x03EF, -1, true},
    {0x0430, 0x044F, -0x20, false}, {0x0450, 0x045F, -0x50, false}, {0x0460, 0x0481, -1, true},
    {0x048A, 0x04BF, -1, true},     {0x04C1, 0x04CE, -1, true},     {0x04CF, 0x04CF, -0x0F, false},
    {0x04D0, 0x052F, -1, true},     {0x0561, 0x0586, -0x30, false}, {0x1E00, 0x1E95, -1, true},
    {0x1EA0, 0x1EFF, -1, true},     {0xFF41, 0xFF5A, -0x20, false},
};

constexpr char16_t kEscapedByteBase = 0xDC00;
constexpr char32_t kFirstSupplementary = 0x10000;

void AppendUtf16(char32_t codePoint, std::u16string& out) {
    if (codePoint < kFirstSupplementary) {
        out += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t offset = codePoint - kFirstSupplementary;
    out += static_cast<char16_t>(0xD800 + (offset >> 10));
    out += static_cast<char16_t>(0xDC00 + (offset & 0x3FF));
}

}  // namespace

char16_t UpcaseUnit(char16_t unit) {
    for (const UpcaseRule& rule : kUpcaseRules) {
        if (unit < rule.first) {
            break;
        }
        if (unit > rule.last) {
            continue;
        }
        if (rule.alternating && (unit - rule.first) % 2 == 0) {
            return unit;
        }
        return static_cast<char16_t>(unit + rule.delta);
    }
    return unit;
}

NameOrderKey MakeNameOrderKey(std::string_view name) {
    NameOrderKey key{{}, std::string(name)};
    key.upcased.reserve(name.size());
    while (!name.empty()) {
        const std::optional<DecodedCharacter> decoded = DecodeUtf8(name);
        if (decoded.has_value()) {
            AppendUtf16(decoded->codePoint, key.upcased);
            name.remove_prefix(decoded->length);
        } else {
            key.upcased +=
                static_cast<char16_t>(kEscapedByteBase + static_cast<unsigned char>(name[0]));
            name.remove_prefix(1);
        }
    }
    for (char16_t& unit : key.upcased) {
        unit = UpcaseUnit(unit);
    }
    return key;
}

}  // namespace kalvor::platform
