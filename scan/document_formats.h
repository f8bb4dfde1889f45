#pragma once

#include <string_view>

#include "scan/document_format.h"

namespace kalvor::scan {

// The registered format whose files end in `extension` (ASCII case ignored); throws
// std::invalid_argument when no format has that extension.
const DocumentFormat& FormatOf(std::string_view extension);

}  // namespace kalvor::scan
