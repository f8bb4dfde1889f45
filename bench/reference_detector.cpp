#include "bench/reference_detector.h"

#include <cstdint>
#include <vector>

#include "platform/compound_file.h"
#include "reference/marking_by_byte_loop.h"

namespace kalvor::bench {

bool CheckDocumentByteByByte(platform::ByteSource& file) {
    std::vector<std::uint8_t> stream;
    return platform::ReadRootStream(file, u"WordDocument", stream) ==
               platform::StreamReadResult::Read &&
           reference::VerdictByteByByte(stream) == scan::MarkingVerdict::Marked;
}

}  // namespace kalvor::bench
