#include "platform/compound_file.h"

#include "platform/cfb_reader.h"
#include "platform/cfb_windowed_file.h"

namespace kalvor::platform {

namespace {

StreamReadResult ReadRootStreamWith(ByteSource& file, std::u16string_view name,
                                    cfb::ReaderBuffers& buffers,
                                    std::span<const std::uint8_t>& image) {
    image = {};
    StreamReadResult failure = StreamReadResult::NotCompoundFile;
    std::optional<cfb::Reader> reader = cfb::Reader::Open(file, buffers, failure);
    if (!reader) {
        return failure;
    }
    const std::optional<std::uint32_t> entry = reader->FindRootStream(name);
    if (!entry) {
        return StreamReadResult::StreamNotFound;
    }
    return reader->ReadStream(*entry, image);
}

}  // namespace

StreamReadResult ReadRootStream(ByteSource& file, std::u16string_view name,
                                std::vector<std::uint8_t>& image) {
    cfb::ReaderBuffers buffers;
    std::span<const std::uint8_t> read;
    const StreamReadResult result = ReadRootStreamWith(file, name, buffers, read);
    image.assign(read.begin(), read.end());
    return result;
}

StreamReadResult ForEachStream(ByteSource& file,
                               const std::function<void(const StoredStream&)>& visit) {
    cfb::ReaderBuffers buffers;
    StreamReadResult failure = StreamReadResult::NotCompoundFile;
    std::optional<cfb::Reader> reader = cfb::Reader::Open(file, buffers, failure);
    if (!reader) {
        return failure;
    }
    reader->ForEachStream(visit);
    return StreamReadResult::Read;
}

struct RootStreamReader::Buffers {
    cfb::ReaderBuffers reader;
    cfb::WindowBuffers windows;

    std::size_t MemoryHeld() const {
        return reader.MemoryHeld() + windows.first.Used() + windows.next.Used();
    }
};

RootStreamReader::RootStreamReader() : buffers_(std::make_unique<Buffers>()) {}

RootStreamReader::~RootStreamReader() = default;

StreamReadResult RootStreamReader::Read(ByteSource& file, std::u16string_view name,
                                        std::span<const std::uint8_t>& image) {
    cfb::WindowedFile windowed(file, buffers_->windows);
    return ReadRootStreamWith(windowed, name, buffers_->reader, image);
}

void RootStreamReader::ReleaseMemoryAbove(std::size_t bytes) {
    if (buffers_->MemoryHeld() > bytes) {
        *buffers_ = Buffers();
    }
}

}  // namespace kalvor::platform
