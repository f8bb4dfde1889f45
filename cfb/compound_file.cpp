#include "cfb/compound_file.h"

#include "cfb/reader.h"
#include "cfb/windowed_file.h"

namespace kalvor::cfb {

namespace {

StreamView ReadRootStreamWith(ByteSource& file, std::u16string_view name, ReaderBuffers& buffers) {
    OpenedReader opened = Reader::Open(file, buffers);
    if (!opened.reader) {
        return {.status = opened.status};
    }
    const std::optional<std::uint32_t> entry = opened.reader->FindRootStream(name);
    if (!entry) {
        return {.status = {.result = StreamReadResult::StreamNotFound}};
    }
    return opened.reader->ReadStream(*entry);
}

}  // namespace

StreamCopy ReadRootStream(ByteSource& file, std::u16string_view name, MemoryHook& memory,
                          std::vector<std::uint8_t> storage) {
    ReaderBuffers buffers(memory);
    const StreamView read = ReadRootStreamWith(file, name, buffers);
    storage.assign(read.image.begin(), read.image.end());
    return {.status = read.status, .image = std::move(storage)};
}

ReadStatus ForEachStream(ByteSource& file, MemoryHook& memory,
                         const std::function<void(const StoredStream&)>& visit) {
    ReaderBuffers buffers(memory);
    OpenedReader opened = Reader::Open(file, buffers);
    if (opened.reader) {
        opened.reader->ForEachStream(visit);
    }
    return opened.status;
}

struct RootStreamReader::Buffers {
    explicit Buffers(MemoryHook& memory) : reader(memory), windows(memory) {}

    ReaderBuffers reader;
    WindowBuffers windows;

    std::size_t MemoryHeld() const {
        return reader.MemoryHeld() + windows.first.Used() + windows.next.Used();
    }
};

RootStreamReader::RootStreamReader(MemoryHook& memory)
    : memory_(memory), buffers_(std::make_unique<Buffers>(memory)) {}

RootStreamReader::~RootStreamReader() = default;

StreamView RootStreamReader::Read(ByteSource& file, std::u16string_view name) {
    WindowedFile windowed(file, buffers_->windows);
    return ReadRootStreamWith(windowed, name, buffers_->reader);
}

bool RootStreamReader::Holds(ByteSource& file, std::u16string_view name) {
    WindowedFile windowed(file, buffers_->windows);
    OpenedReader opened = Reader::Open(windowed, buffers_->reader);
    return opened.reader && opened.reader->FindRootStream(name).has_value();
}

void RootStreamReader::ReleaseMemoryAbove(std::size_t bytes) {
    if (buffers_->MemoryHeld() > bytes) {
        *buffers_ = Buffers(memory_);
    }
}

}  // namespace kalvor::cfb
