#include "platform/file_name_rules.h"

namespace kalvor::platform {

bool FileNamesIgnoreCase() {
    return true;
}

bool StarDotStarMatchesEveryName() {
    return true;
}

}  // namespace kalvor::platform
