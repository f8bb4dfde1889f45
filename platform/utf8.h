#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kalvor::platform {

struct DecodedCharacter {
    char32_t codePoint = 0;
    std::size_t length = 0;  // bytes taken from the input
};

// The character that the UTF-8 sequence at the front of `bytes` encodes; nothing when it starts
// no well-formed sequence (stray continuation, overlong form, surrogate, beyond U+10FFFF,
// truncated).
std::optional<DecodedCharacter> DecodeUtf8(std::string_view bytes);

// `bytes` with every byte that starts no well-formed sequence replaced by U+FFFD, so names from
// the file system can be shown whatever they hold.
std::string ToValidUtf8(std::string_view bytes);

// UTF-16 text, as Word keeps it, in UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace kalvor::platform
