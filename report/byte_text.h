#pragma once

#include <string>
#include <string_view>

// Text forms of raw bytes (file-system paths hold bytes, not text) that scripts can take apart and
// turn back into the exact bytes.
namespace kalvor::report {

// `bytes` as lower-case hexadecimal, two digits per byte.
std::string HexBytes(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8 throughout.
bool IsValidUtf8(std::string_view bytes);

}  // namespace kalvor::report
