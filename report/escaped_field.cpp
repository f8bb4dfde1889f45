#include "report/escaped_field.h"

#include <cstdio>
#include <optional>

#include "platform/utf8.h"

namespace kalvor::report {

namespace {

bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == '\\';
}

void AppendHexEscape(unsigned char byte, std::string& out) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02x", byte);
    out += escape;
}

}  // namespace

std::string_view ShortEscape(char byte) {
    switch (byte) {
        case '\\':
            return "\\\\";
        case '\t':
            return "\\t";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        default:
            return {};
    }
}

std::string_view LineBreakingEscape(char32_t codePoint) {
    switch (codePoint) {
        case 0x85:
            return "\\u0085";
        case 0x2028:
            return "\\u2028";
        case 0x2029:
            return "\\u2029";
        default:
            return {};
    }
}

std::string EscapeField(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::optional<platform::DecodedCharacter> decoded = platform::DecodeUtf8(bytes);
        const auto first = static_cast<unsigned char>(bytes[0]);
        if (!decoded.has_value() || NeedsEscape(first)) {
            const std::string_view escape = ShortEscape(bytes[0]);
            if (escape.empty()) {
                AppendHexEscape(first, out);
            } else {
                out += escape;
            }
            bytes.remove_prefix(1);
        } else {
            const std::string_view escape = LineBreakingEscape(decoded->codePoint);
            out += escape.empty() ? bytes.substr(0, decoded->length) : escape;
            bytes.remove_prefix(decoded->length);
        }
    }
    return out;
}

}  // namespace kalvor::report
