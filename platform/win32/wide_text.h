#pragma once

#include <string>
#include <string_view>

namespace kalvor::platform {

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// UTF-8 to UTF-16; a byte that starts no well-formed sequence becomes U+FFFD.
std::wstring ToWide(std::string_view text);

}  // namespace kalvor::platform
