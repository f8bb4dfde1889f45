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

}  // namespace kalvor::platform
