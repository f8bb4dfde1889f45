#include "bench/reference_detector.h"

#include <cstdint>
#include <vector>

#include "cfb/compound_file.h"
#include "reference/marking_by_byte_loop.h"
#include "scan/examination_memory.h"

namespace kalvor::bench {

bool CheckDocumentByteByByte(cfb::ByteSource& file) {
    const cfb::StreamCopy stream =
        cfb::ReadRootStream(file, u"WordDocument", scan::ExaminationMemory());
    return stream.status.result == cfb::StreamReadResult::Read &&
           reference::VerdictByteByByte(stream.image) == scan::MarkingVerdict::Marked;
}

}  // namespace kalvor::bench
