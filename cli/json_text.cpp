#include "cli/json_text.h"

#include "cli/byte_text.h"
#include "platform/utf8.h"

namespace kalvor::cli {

namespace {

void AppendJsonCharacter(char c, std::string& out) {
    if (c == '"') {
        out += "\\\"";
    } else if (const std::string_view escape = ShortEscape(c); !escape.empty()) {
        out += escape;
    } else if (static_cast<unsigned char>(c) < 0x20) {
        out += "\\u00" + HexBytes(std::string_view(&c, 1));
    } else {
        out += c;
    }
}

}  // namespace

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (const char c : platform::ToValidUtf8(text)) {
        AppendJsonCharacter(c, out);
    }
    out += '"';
    return out;
}

}  // namespace kalvor::cli
