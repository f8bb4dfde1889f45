#include "platform/file_name_rules.h"

namespace kalvor::platform {

bool FileNamesIgnoreCase() {
    return true;
}

bool StarDotStarMatchesEveryName() {
    return true;
}

bool FileNamesMayHoldLineBreaks() {
    return false;
}

}  // namespace kalvor::platform
