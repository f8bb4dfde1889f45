#pragma once

#include <string>
#include <string_view>

namespace kalvor::report {

// `text` as a JSON string literal, quotes included. Bytes that are not well-formed UTF-8 become
// U+FFFD, so the literal is always valid JSON; control characters are escaped, and so are U+0085,
// U+2028 and U+2029, which JSON allows as they are but which would split the line for many line
// readers.
std::string JsonString(std::string_view text);

}  // namespace kalvor::report
