#pragma once

#include <filesystem>

#include "scan/marking_verdict.h"

namespace kalvor::scan {

// The verdict on the Word 97-2003 document at `path`: whether its "WordDocument" stream carries a
// marking, or why it could not be examined.
MarkingVerdict CheckMarking(std::filesystem::path path);

}  // namespace kalvor::scan
