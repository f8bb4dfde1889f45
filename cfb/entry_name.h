#pragma once

#include <string_view>

namespace kalvor::cfb {

// Whether two entry names are the same name for the format, which compares names by their
// upper-cased UTF-16 code units (simple case mapping of Latin, Greek and Cyrillic letters).
bool SameEntryName(std::u16string_view a, std::u16string_view b);

}  // namespace kalvor::cfb
