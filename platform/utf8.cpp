#include "platform/utf8.h"

namespace kalvor::platform {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

struct LeadByteRule {
    std::size_t length;
    char32_t initialBits;
    // The byte after the lead is restricted further to rule out overlong forms, surrogates and
    // code points past U+10FFFF.
    unsigned char secondMin;
    unsigned char secondMax;
};

std::optional<LeadByteRule> RuleFor(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return LeadByteRule{2, lead & 0x1Fu, 0x80, 0xBF};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned char min = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned char max = lead == 0xED ? 0x9F : 0xBF;
        return LeadByteRule{3, lead & 0x0Fu, min, max};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned char min = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char max = lead == 0xF4 ? 0x8F : 0xBF;
        return LeadByteRule{4, lead & 0x07u, min, max};
    }
    return std::nullopt;
}

void AppendUtf8(char32_t codePoint, std::string& text) {
    if (codePoint < 0x80) {
        text += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        text += static_cast<char>(0xC0 | (codePoint >> 6));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        text += static_cast<char>(0xE0 | (codePoint >> 12));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (codePoint >> 18));
        text += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool IsHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::optional<DecodedCharacter> DecodeUtf8(std::string_view bytes) {
    if (bytes.empty()) {
        return std::nullopt;
    }
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (lead < 0x80) {
        return DecodedCharacter{lead, 1};
    }
    const std::optional<LeadByteRule> rule = RuleFor(lead);
    if (!rule.has_value() || bytes.size() < rule->length) {
        return std::nullopt;
    }
    const auto second = static_cast<unsigned char>(bytes[1]);
    if (second < rule->secondMin || second > rule->secondMax) {
        return std::nullopt;
    }
    char32_t codePoint = rule->initialBits;
    for (std::size_t i = 1; i < rule->length; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (!IsContinuation(byte)) {
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (byte & 0x3Fu);
    }
    return DecodedCharacter{codePoint, rule->length};
}

std::string ToValidUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::optional<DecodedCharacter> decoded = DecodeUtf8(bytes);
        const std::size_t taken = decoded.has_value() ? decoded->length : 1;
        text += decoded.has_value() ? bytes.substr(0, taken) : kReplacementCharacter;
        bytes.remove_prefix(taken);
    }
    return text;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string bytes;
    bytes.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            AppendUtf8(0x10000 + ((char32_t{unit} - 0xD800) << 10) + (text[i + 1] - 0xDC00), bytes);
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            bytes += kReplacementCharacter;
        } else {
            AppendUtf8(unit, bytes);
        }
    }
    return bytes;
}

}  // namespace kalvor::platform
