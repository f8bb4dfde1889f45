#pragma once

#include <optional>

namespace kalvor::platform {

// Whether a file is read-only to us where its write bits alone decide: the superuser may write
// anything, but a file with no write bit at all is read-only to the people who work with it, and
// the storage layer we stand in for refuses it. Nothing where the system's own answer to "may we
// write it" holds (anyone but the superuser; Windows, whose read-only attribute says it).
std::optional<bool> ReadOnlyByWriteBits(bool anyWriteBit);

}  // namespace kalvor::platform
