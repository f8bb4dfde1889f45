#pragma once

#include <string_view>

#include "platform/directory_listing.h"

namespace kalvor::scan {

// True when `name` ends, from its last ".", in `extension`, ASCII case ignored.
bool MatchesExtension(platform::NativeName name, std::string_view extension);

// True when two extensions are the same, ASCII case ignored.
bool SameExtension(std::string_view a, std::string_view b);

}  // namespace kalvor::scan
