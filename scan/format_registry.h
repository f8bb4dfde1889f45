#pragma once

#include <span>

#include "scan/document_format.h"

namespace kalvor::scan {

// Every format this build can examine, Word 97-2003 documents first.
std::span<const DocumentFormat* const> RegisteredFormats();

}  // namespace kalvor::scan
