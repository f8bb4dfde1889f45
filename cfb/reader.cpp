#include "cfb/reader.h"

#include <algorithm>
#include <array>
#include <string>

#include "cfb/chain.h"
#include "cfb/entry_name.h"
#include "cfb/run_reader.h"

namespace kalvor::cfb {
namespace {

std::uint64_t DivideUp(std::uint64_t value, std::uint64_t unit) {
    return value / unit + (value % unit != 0 ? 1 : 0);
}

template <typename T>
std::size_t CapacityOf(const ChargedVector<T>& items) {
    return items.capacity() * sizeof(T);
}

}  // namespace

std::size_t ReaderBuffers::MemoryHeld() const {
    return CapacityOf(fatSectors) + CapacityOf(fat) + CapacityOf(difatSector) +
           CapacityOf(directory) + CapacityOf(miniFat) + CapacityOf(miniStreamSectors) +
           CapacityOf(chain) + CapacityOf(pending) + seen.capacity() / 8 + image.Used() +
           chunks.Used();
}

OpenedReader Reader::Open(ByteSource& file, ReaderBuffers& buffers) {
    RawHeader raw{};
    if (file.ReadAt(0, BytesOf(std::span(&raw, 1))) < kHeaderSize) {
        return {.reader = {},
                .status = ReadStatus::NotCompound(NotCompoundReason::ShorterThanHeader)};
    }
    const ParsedHeader parsed = ParseHeader(raw);
    if (parsed.failure != NotCompoundReason::None) {
        return {.reader = {}, .status = ReadStatus::NotCompound(parsed.failure)};
    }
    Reader reader(file, buffers, parsed.header);
    ReadStatus status = reader.LoadFat();
    if (status.Ok()) {
        status = reader.LoadDirectory();
    }
    if (!status.Ok()) {
        return {.reader = {}, .status = status};
    }
    return {.reader = std::move(reader), .status = status};
}

Reader::Reader(ByteSource& file, ReaderBuffers& buffers, const Header& header)
    : file_(&file), buffers_(&buffers), header_(header) {
    const std::uint64_t size = file.Size();
    if (size > header.sectorSize) {
        sectorCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            DivideUp(size - header.sectorSize, header.sectorSize), kMaxRegularSector + 1));
    }
    backed_ = std::min(size, file.BackedSize());
}

bool Reader::Backs(std::uint64_t bytes, std::uint64_t held) const {
    return bytes <= std::min(held, backed_) + kMostUnheldBytes;
}

std::uint64_t Reader::SectorOffset(std::uint32_t sector) const {
    return (std::uint64_t{sector} + 1) * header_.sectorSize;
}

void Reader::FollowChain(std::span<const std::uint32_t> table, std::uint32_t start,
                         std::uint32_t bound, std::uint64_t limit,
                         ChargedVector<std::uint32_t>& chain) {
    cfb::FollowChain(table, start, bound, limit, buffers_->seen, chain);
}

ReadStatus Reader::LoadFat() {
    const std::uint32_t count = header_.fatSectorCount;
    if (count > sectorCount_) {
        return ReadStatus::NotCompound(NotCompoundReason::FatOutsideFile);
    }
    // Only the FAT sectors that describe sectors of the file are read: entries past its last
    // sector are never followed, and a header listing one sector a million times must not make
    // the reader hold a table the size of the file. The DIFAT that lists them is never larger
    // than the FAT they make, so it is bounded with it.
    const std::uint32_t idsPerSector = header_.sectorSize / 4;
    const auto kept = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(count, DivideUp(sectorCount_, idsPerSector)));
    const std::uint64_t fatBytes = std::uint64_t{kept} * header_.sectorSize;
    if (fatBytes / 4 > kLargestFile / header_.sectorSize || !Backs(fatBytes)) {
        return {.result = StreamReadResult::StructureTooLarge};
    }
    if (const ReadStatus listed = LoadDifat(kept); !listed.Ok()) {
        return listed;
    }
    ReadIdTable(buffers_->fatSectors, buffers_->fat);
    return {};
}

ReadStatus Reader::LoadDifat(std::uint32_t kept) {
    const std::uint32_t count = header_.fatSectorCount;
    ChargedVector<std::uint32_t>& fatSectors = buffers_->fatSectors;
    fatSectors.clear();
    std::uint32_t listed = 0;
    // Every id listed must name a sector of the file, though only the first `kept` are read.
    const auto list = [&](std::uint32_t sector) {
        ++listed;
        if (fatSectors.size() < kept) {
            fatSectors.push_back(sector);
        }
        return sector < sectorCount_;
    };
    for (std::uint32_t i = 0; i < std::min(count, kHeaderFatSectorIds); ++i) {
        if (!list(header_.fatSectorIds[i])) {
            return ReadStatus::NotCompound(NotCompoundReason::FatOutsideFile);
        }
    }
    const std::uint32_t idsPerDifatSector = header_.sectorSize / 4 - 1;
    ChargedVector<ulittle32_t>& difat = buffers_->difatSector;
    difat.resize(header_.sectorSize / sizeof(ulittle32_t));
    // A loop in the chain is found by coming back to a sector marked at ever longer intervals,
    // which needs no memory however far the file claims the chain goes.
    std::uint32_t marked = kEndOfChain;
    std::uint64_t sinceMarked = 0;
    std::uint64_t interval = 1;
    for (std::uint32_t next = header_.firstDifatSector; listed < count;
         next = difat[idsPerDifatSector].Value()) {
        if (next >= sectorCount_ || next == marked ||
            file_->ReadAt(SectorOffset(next), BytesOf(std::span(difat))) < header_.sectorSize) {
            return ReadStatus::NotCompound(NotCompoundReason::BrokenDifat);
        }
        if (++sinceMarked == interval) {
            marked = next;
            sinceMarked = 0;
            interval *= 2;
        }
        for (std::uint32_t i = 0; i < idsPerDifatSector && listed < count; ++i) {
            if (!list(difat[i].Value())) {
                return ReadStatus::NotCompound(NotCompoundReason::FatOutsideFile);
            }
        }
    }
    return {};
}

ReadStatus Reader::LoadDirectory() {
    ChargedVector<std::uint32_t>& chain = buffers_->chain;
    // One sector past the largest directory tells a directory that is too large; the largest
    // one stays within what any file may leave unbacked.
    const std::uint64_t mostSectors = kLargestDirectory / header_.sectorSize;
    FollowChain(buffers_->fat, header_.firstDirectorySector, sectorCount_, mostSectors + 1, chain);
    if (chain.size() > mostSectors) {
        return {.result = StreamReadResult::StructureTooLarge};
    }
    ChargedVector<std::uint8_t>& bytes = buffers_->directory;
    bytes.assign(chain.size() * header_.sectorSize, 0);
    ReadSectors(chain, bytes);
    directory_ = Directory(bytes);
    return directory_.Count() > 0 && directory_.At(0).type == EntryType::Root
               ? ReadStatus{}
               : ReadStatus::NotCompound(NotCompoundReason::NoRootEntry);
}

StreamReadResult Reader::LoadMiniStream() {
    if (miniStreamLoaded_) {
        return *miniStreamLoaded_;
    }
    const Entry root = directory_.At(0);
    const std::uint64_t size = std::min(header_.EntrySize(root.recordedSize), file_->Size());
    miniStreamLoaded_ = StreamReadResult::StructureTooLarge;
    if (size > kLargestMiniStream) {
        return *miniStreamLoaded_;
    }
    FollowChain(buffers_->fat, root.startSector, sectorCount_, DivideUp(size, header_.sectorSize),
                buffers_->miniStreamSectors);
    // Only the mini FAT sectors that describe mini sectors of the mini stream are read.
    const std::uint64_t miniSectors = DivideUp(size, kMiniSectorSize);
    FollowChain(buffers_->fat, header_.firstMiniFatSector, sectorCount_,
                std::min<std::uint64_t>(header_.miniFatSectorCount,
                                        DivideUp(miniSectors, header_.sectorSize / 4)),
                buffers_->chain);
    if (!Backs(buffers_->chain.size() * std::uint64_t{header_.sectorSize})) {
        return *miniStreamLoaded_;
    }
    ReadIdTable(buffers_->chain, buffers_->miniFat);
    miniSectorCount_ =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(buffers_->miniFat.size(), miniSectors));
    miniStreamLoaded_ = StreamReadResult::Read;
    return *miniStreamLoaded_;
}

std::size_t Reader::ReadSectors(std::span<const std::uint32_t> sectors, std::span<std::uint8_t> out,
                                std::uint64_t offset) {
    RunReader reader(*file_, out);
    const std::uint32_t size = header_.sectorSize;
    std::uint64_t within = offset % size;
    for (std::uint64_t index = offset / size, asked = 0;
         index < sectors.size() && asked < out.size(); ++index, within = 0) {
        if (!reader.Append(SectorOffset(sectors[index]) + within, size - within)) {
            break;
        }
        asked += size - within;
    }
    return reader.Finish();
}

void Reader::ReadIdTable(std::span<const std::uint32_t> sectors,
                         ChargedVector<std::uint32_t>& ids) {
    // Whatever cannot be read stays 0xFF bytes, which is the free-sector mark. The sectors are
    // read straight into the table and decoded where they lie.
    ids.assign(sectors.size() * header_.sectorSize / 4, kFreeSector);
    const std::span<std::uint8_t> bytes(reinterpret_cast<std::uint8_t*>(ids.data()),
                                        ids.size() * 4);
    ReadSectors(sectors, bytes);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        ids[i] = LoadRecord<ulittle32_t>(bytes, 4 * i).Value();
    }
}

std::size_t Reader::ReadMiniSectors(std::span<const std::uint32_t> miniSectors,
                                    std::span<std::uint8_t> out) {
    const ChargedVector<std::uint32_t>& containerSectors = buffers_->miniStreamSectors;
    RunReader reader(*file_, out);
    for (std::uint32_t miniSector : miniSectors) {
        const std::uint64_t position = std::uint64_t{miniSector} * kMiniSectorSize;
        const std::uint64_t index = position / header_.sectorSize;
        if (index >= containerSectors.size() ||
            !reader.Append(SectorOffset(containerSectors[index]) + position % header_.sectorSize,
                           kMiniSectorSize)) {
            break;
        }
    }
    return reader.Finish();
}

std::optional<std::uint32_t> Reader::FindRootStream(std::u16string_view name) {
    ChargedVector<bool>& seen = buffers_->seen;
    seen.assign(directory_.Count(), false);
    seen[0] = true;
    std::optional<std::uint32_t> found;
    directory_.WalkSiblings(directory_.At(0).child, seen, buffers_->pending, [&](std::uint32_t id) {
        const Entry entry = directory_.At(id);
        if (entry.type == EntryType::Stream && SameEntryName(entry.Name(), name)) {
            found = id;
        }
        return !found;
    });
    return found;
}

std::span<const std::uint8_t> Reader::HeldStream(std::uint64_t size) const {
    const ChargedVector<std::uint32_t>& chain = buffers_->chain;
    if (chain.empty() || chain.size() * std::uint64_t{header_.sectorSize} < size ||
        !IsOneRun(chain)) {
        return {};
    }
    return file_->Held(SectorOffset(chain.front()), static_cast<std::size_t>(size));
}

bool Reader::MayHoldStream(std::uint64_t size) const {
    return size <= kLargestStream && size <= file_->Size() - header_.sectorSize;
}

bool Reader::ChainRegularStream(std::uint32_t start, std::uint64_t size) {
    ChargedVector<std::uint32_t>& chain = buffers_->chain;
    FollowChain(buffers_->fat, start, sectorCount_, DivideUp(size, header_.sectorSize), chain);
    return Backs(size, chain.size() * std::uint64_t{header_.sectorSize});
}

namespace {

constexpr ReadStatus kTooLarge{.result = StreamReadResult::StreamTooLarge};

}  // namespace

StreamView Reader::ReadStream(std::uint32_t entryId) {
    const Entry entry = directory_.At(entryId);
    const std::uint64_t size = header_.EntrySize(entry.recordedSize);
    if (!MayHoldStream(size)) {
        return {.status = kTooLarge};
    }
    ChargedVector<std::uint32_t>& chain = buffers_->chain;
    std::span<std::uint8_t> out;
    std::size_t filled = 0;
    if (size >= kMiniStreamCutoff) {
        if (!ChainRegularStream(entry.startSector, size)) {
            return {.status = kTooLarge};
        }
        if (const std::span<const std::uint8_t> held = HeldStream(size); !held.empty()) {
            return {.status = {}, .image = held};
        }
        out = buffers_->image.Take(size);
        filled = ReadSectors(chain, out);
    } else if (size > 0) {
        if (const StreamReadResult loaded = LoadMiniStream(); loaded != StreamReadResult::Read) {
            return {.status = {.result = loaded}};
        }
        FollowChain(buffers_->miniFat, entry.startSector, miniSectorCount_,
                    DivideUp(size, kMiniSectorSize), chain);
        out = buffers_->image.Take(size);
        filled = ReadMiniSectors(chain, out);
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(filled), out.end(), 0);
    return {.status = {}, .image = out};
}

StreamRead<StreamChunks> Reader::ReadStreamInChunks(std::uint32_t entryId, std::size_t chunkBytes) {
    const Entry entry = directory_.At(entryId);
    const std::uint64_t size = header_.EntrySize(entry.recordedSize);
    if (size < kMiniStreamCutoff) {
        const StreamView whole = ReadStream(entryId);
        return {.status = whole.status, .image = StreamChunks(whole.image)};
    }
    if (!MayHoldStream(size) || !ChainRegularStream(entry.startSector, size)) {
        return {.status = kTooLarge};
    }
    if (const std::span<const std::uint8_t> held = HeldStream(size); !held.empty()) {
        return {.status = {}, .image = StreamChunks(held)};
    }
    return {.status = {},
            .image = StreamChunks(*this, entryId, size, buffers_->chunks, *buffers_->memory,
                                  chunkBytes)};
}

void Reader::ForEachStream(const std::function<void(const StoredStream&)>& visit) {
    struct Storage {
        std::uint32_t entry;
        std::vector<std::u16string> path;
    };
    // The walk keeps its own marks: reading a stream uses the buffers' own.
    ChargedVector<bool> seen(directory_.Count(), false, buffers_->seen.get_allocator());
    seen[0] = true;
    ChargedVector<std::uint32_t> siblings(buffers_->pending.get_allocator());
    std::vector<Storage> pending{{0, {}}};
    while (!pending.empty()) {
        const Storage storage = std::move(pending.back());
        pending.pop_back();
        directory_.WalkSiblings(
            directory_.At(storage.entry).child, seen, siblings, [&](std::uint32_t id) {
                const Entry entry = directory_.At(id);
                std::vector<std::u16string> path = storage.path;
                path.emplace_back(entry.Name());
                if (entry.type == EntryType::Storage) {
                    pending.push_back({id, std::move(path)});
                } else if (entry.type == EntryType::Stream) {
                    const StreamView read = ReadStream(id);
                    visit({.path = path, .result = read.status.result, .bytes = read.image});
                }
                return true;
            });
    }
}

}  // namespace kalvor::cfb
