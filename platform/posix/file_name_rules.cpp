#include "platform/file_name_rules.h"

namespace kalvor::platform {

bool FileNamesIgnoreCase() {
    return false;
}

bool StarDotStarMatchesEveryName() {
    return false;
}

bool FileNamesMayHoldLineBreaks() {
    return true;
}

}  // namespace kalvor::platform
