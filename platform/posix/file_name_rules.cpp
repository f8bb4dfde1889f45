#include "platform/file_name_rules.h"

namespace kalvor::platform {

bool FileNamesIgnoreCase() {
    return false;
}

bool StarDotStarMatchesEveryName() {
    return false;
}

}  // namespace kalvor::platform
