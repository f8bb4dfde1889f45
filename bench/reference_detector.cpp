#include "bench/reference_detector.h"

#include "platform/compound_file.h"

namespace kalvor::bench {

std::int64_t FindPairByteByByte(const std::uint8_t* block, std::int64_t length, std::int64_t from) {
    for (std::int64_t p = from; p <= length - 3; ++p) {
        if (block[p] == 0xC6 && block[p + 1] == 0x5B) {
            return p;
        }
    }
    return -1;
}

bool IsMarkedByteByByte(const std::vector<std::uint8_t>& stream) {
    const auto length = static_cast<std::int64_t>(stream.size());
    if (length < 6 || (stream[5] != 0x20 && stream[5] != 0x40 && stream[5] != 0x60)) {
        return false;
    }
    const auto unitAt = [&](std::int64_t q) { return stream[q] | (stream[q + 1] << 8); };
    for (std::int64_t h = FindPairByteByByte(stream.data(), length, 0); h >= 0;
         h = FindPairByteByByte(stream.data(), length, h + 2)) {
        std::int64_t q = h - 2;
        while (q >= 0 && (unitAt(q) == 0x0020 || unitAt(q) == 0x0009)) {
            q -= 2;
        }
        if (q >= 0 && (unitAt(q) == 0x79D8 || unitAt(q) == 0x673A || unitAt(q) == 0x7EDD)) {
            return true;
        }
    }
    return false;
}

bool CheckDocumentByteByByte(platform::ByteSource& file) {
    std::vector<std::uint8_t> stream;
    return platform::ReadRootStream(file, u"WordDocument", stream) ==
               platform::StreamReadResult::Read &&
           IsMarkedByteByByte(stream);
}

}  // namespace kalvor::bench
