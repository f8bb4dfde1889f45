#pragma once

#include <sys/stat.h>

#include "platform/file_description.h"
#include "platform/file_identity.h"

namespace kalvor::platform {

// What a listing or an open file is asked, so that both describe a file alike.
constexpr unsigned kDescribingFields = STATX_BASIC_STATS | STATX_BTIME;

FileIdentity IdentityFrom(const struct statx& data);
FileDescription DescriptionFrom(const struct statx& data);

}  // namespace kalvor::platform
