#pragma once

#include "cfb/byte_source.h"

namespace kalvor::bench {

// The detector as first designed, kept as the yardstick the benchmarks measure against: the
// "WordDocument" stream of the compound file in `file` read whole into a fresh buffer, then the
// version gate and the search one byte position after another. False when it cannot be read.
bool CheckDocumentByteByByte(cfb::ByteSource& file);

}  // namespace kalvor::bench
