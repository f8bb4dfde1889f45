#pragma once

#include <string>
#include <string_view>

namespace kalvor::cli {

// `text` as a JSON string literal, quotes included. Bytes that are not well-formed UTF-8 become
// U+FFFD, so the literal is always valid JSON; control characters are escaped.
std::string JsonString(std::string_view text);

}  // namespace kalvor::cli
