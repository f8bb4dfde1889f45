#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"

namespace kalvor::platform {

enum class StreamReadResult {
    Read,              // the image holds the stream (zero-filled where its chain fell short)
    NotCompoundFile,   // no valid header, FAT or directory
    StreamNotFound,    // the root storage holds no stream of that name
    StreamTooLarge,    // the stream claims more bytes than the file can back, or 2 GiB or more
};

// Reads the whole stream `name` of the root storage of the compound file in `file` into `image`,
// which is resized to the stream's size (its low 32 bits in version 3 files). Names are compared
// the way the format compares them (case-insensitively). Never trusts the file: a broken or
// cyclic sector chain ends the read there and leaves the rest of the image zero, the way a short
// read of the platform's storage layer does.
StreamReadResult ReadRootStream(ByteSource& file, std::u16string_view name,
                                std::vector<std::uint8_t>& image);

}  // namespace kalvor::platform
