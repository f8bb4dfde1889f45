#pragma once

#include <string>
#include <string_view>

// Text forms of raw bytes (file-system paths hold bytes, not text) that scripts can take apart and
// turn back into the exact bytes.
namespace kalvor::report {

// `bytes` made safe for one tab-separated field of one line: backslash, tab, line feed and
// carriage return become \\ \t \n \r; every other control byte and every byte that is not part of
// well-formed UTF-8 becomes \xNN (two lower-case hex digits); the characters that many line readers
// also take for a line break (U+0085, U+2028, U+2029) become \uNNNN. Everything else, and so every
// ordinary path, stays as it is.
std::string EscapeField(std::string_view bytes);

// The two-character escape of a backslash, tab, line feed or carriage return (\\ \t \n \r), shared
// by the text and the JSON output; empty for any other byte.
std::string_view ShortEscape(char byte);

// \u0085, \u2028 or \u2029 for the characters that are no control bytes but that many line
// readers take for a line break (NEL, LINE SEPARATOR, PARAGRAPH SEPARATOR), shared by the text and
// the JSON output; empty for any other character.
std::string_view LineBreakingEscape(char32_t codePoint);

// `bytes` as lower-case hexadecimal, two digits per byte.
std::string HexBytes(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8 throughout.
bool IsValidUtf8(std::string_view bytes);

}  // namespace kalvor::report
