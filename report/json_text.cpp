#include "report/json_text.h"

#include "platform/utf8.h"
#include "report/byte_text.h"
#include "report/escaped_field.h"

namespace kalvor::report {

namespace {

void AppendJsonCharacter(char c, std::string& out) {
    if (c == '"') {
        out += "\\\"";
    } else if (const std::string_view escape = report::ShortEscape(c); !escape.empty()) {
        out += escape;
    } else if (static_cast<unsigned char>(c) < 0x20) {
        out += "\\u00" + HexBytes(std::string_view(&c, 1));
    } else {
        out += c;
    }
}

}  // namespace

std::string JsonString(std::string_view text) {
    const std::string valid = platform::ToValidUtf8(text);
    std::string out = "\"";
    for (std::string_view rest = valid; !rest.empty();) {
        const platform::DecodedCharacter character = *platform::DecodeUtf8(rest);
        const std::string_view escape = report::LineBreakingEscape(character.codePoint);
        if (!escape.empty()) {
            out += escape;
        } else {
            for (const char c : rest.substr(0, character.length)) {
                AppendJsonCharacter(c, out);
            }
        }
        rest.remove_prefix(character.length);
    }
    out += '"';
    return out;
}

}  // namespace kalvor::report
