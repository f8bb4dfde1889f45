#include "report/byte_text.h"

#include <optional>

#include "platform/utf8.h"

namespace kalvor::report {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(unsigned char byte, std::string& out) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == 0x7F || byte == '\\';
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
                out += "\\x";
                AppendHex(first, out);
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

std::string HexBytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        AppendHex(static_cast<unsigned char>(c), out);
    }
    return out;
}

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::optional<platform::DecodedCharacter> decoded = platform::DecodeUtf8(bytes);
        if (!decoded.has_value()) {
            return false;
        }
        bytes.remove_prefix(decoded->length);
    }
    return true;
}

}  // namespace kalvor::report
