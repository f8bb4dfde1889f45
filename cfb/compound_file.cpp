#include "cfb/compound_file.h"

#include "cfb/reader.h"
#include "cfb/windowed_file.h"

namespace kalvor::cfb {

namespace {

// The reader of the compound file in `file` and the entry of its root stream `name`, or why
// there is none.
struct FoundStream {
    OpenedReader opened;
    std::uint32_t entry = 0;
};

FoundStream FindRootStream(ByteSource& file, std::u16string_view name, ReaderBuffers& buffers) {
    FoundStream found{.opened = Reader::Open(file, buffers)};
    if (found.opened.reader) {
        const std::optional<std::uint32_t> entry = found.opened.reader->FindRootStream(name);
        if (entry) {
            found.entry = *entry;
        } else {
            found.opened = {.reader = {}, .status = {.result = StreamReadResult::StreamNotFound}};
        }
    }
    return found;
}

StreamView ReadRootStreamWith(ByteSource& file, std::u16string_view name, ReaderBuffers& buffers) {
    FoundStream found = FindRootStream(file, name, buffers);
    if (!found.opened.reader) {
        return {.status = found.opened.status};
    }
    return found.opened.reader->ReadStream(found.entry);
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

ReadStatus RootStreamReader::ReadInChunks(ByteSource& file, std::u16string_view name,
                                          const std::function<void(StreamChunks&)>& take,
                                          std::size_t chunkBytes) {
    WindowedFile windowed(file, buffers_->windows);
    FoundStream found = FindRootStream(windowed, name, buffers_->reader);
    if (!found.opened.reader) {
        return found.opened.status;
    }
    StreamRead<StreamChunks> read =
        found.opened.reader->ReadStreamInChunks(found.entry, chunkBytes);
    if (read.status.Ok()) {
        take(read.image);
    }
    return read.status;
}

bool RootStreamReader::Holds(ByteSource& file, std::u16string_view name) {
    WindowedFile windowed(file, buffers_->windows);
    return FindRootStream(windowed, name, buffers_->reader).opened.reader.has_value();
}

void RootStreamReader::ReleaseMemoryAbove(std::size_t bytes) {
    if (buffers_->MemoryHeld() > bytes) {
        *buffers_ = Buffers(memory_);
    }
}

}  // namespace kalvor::cfb
