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

}  // namespace

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
