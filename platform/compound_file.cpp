#include "platform/compound_file.h"

#include "platform/cfb_reader.h"

namespace kalvor::platform {

StreamReadResult ReadRootStream(ByteSource& file, std::u16string_view name,
                                std::vector<std::uint8_t>& image) {
    std::optional<cfb::Reader> reader = cfb::Reader::Open(file);
    if (!reader) {
        image.clear();
        return StreamReadResult::NotCompoundFile;
    }
    const std::optional<std::uint32_t> entry = reader->FindRootStream(name);
    if (!entry) {
        image.clear();
        return StreamReadResult::StreamNotFound;
    }
    return reader->ReadStream(*entry, image);
}

StreamReadResult ForEachStream(ByteSource& file,
                               const std::function<void(const StoredStream&)>& visit) {
    std::optional<cfb::Reader> reader = cfb::Reader::Open(file);
    if (!reader) {
        return StreamReadResult::NotCompoundFile;
    }
    reader->ForEachStream(visit);
    return StreamReadResult::Read;
}

}  // namespace kalvor::platform
