#include "platform/cfb_reader.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/cfb_chain.h"
#include "platform/cfb_name.h"
#include "platform/cfb_run_reader.h"

namespace kalvor::platform::cfb {
namespace {

std::uint64_t DivideUp(std::uint64_t value, std::uint64_t unit) {
    return value / unit + (value % unit != 0 ? 1 : 0);
}

template <typename T>
std::size_t CapacityOf(const std::vector<T>& items) {
    return items.capacity() * sizeof(T);
}

}  // namespace

std::size_t ReaderBuffers::MemoryHeld() const {
    return CapacityOf(fatSectors) + CapacityOf(fat) + CapacityOf(difatSector) +
           CapacityOf(directory) + CapacityOf(miniFat) + CapacityOf(miniStreamSectors) +
           CapacityOf(chain) + CapacityOf(pending) + seen.capacity() / 8 + image.Used();
}

std::optional<Reader> Reader::Open(ByteSource& file, ReaderBuffers& buffers,
                                   StreamReadResult& failure) {
    failure = StreamReadResult::NotCompoundFile;
    std::array<std::uint8_t, kHeaderSize> headerBytes{};
    if (file.ReadAt(0, headerBytes) < kHeaderSize) {
        return std::nullopt;
    }
    const std::optional<Header> header = ParseHeader(headerBytes);
    if (!header) {
        return std::nullopt;
    }
    Reader reader(file, buffers, *header);
    failure = reader.LoadFat();
    if (failure == StreamReadResult::Read) {
        failure = reader.LoadDirectory();
    }
    if (failure != StreamReadResult::Read) {
        return std::nullopt;
    }
    return reader;
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
                         std::vector<std::uint32_t>& chain) {
    cfb::FollowChain(table, start, bound, limit, buffers_->seen, chain);
}

StreamReadResult Reader::LoadFat() {
    const std::uint32_t count = header_.fatSectorCount;
    if (count > sectorCount_) {
        return StreamReadResult::NotCompoundFile;
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
        return StreamReadResult::StructureTooLarge;
    }
    if (const StreamReadResult listed = LoadDifat(kept); listed != StreamReadResult::Read) {
        return listed;
    }
    ReadIdTable(buffers_->fatSectors, buffers_->fat);
    return StreamReadResult::Read;
}

StreamReadResult Reader::LoadDifat(std::uint32_t kept) {
    const std::uint32_t count = header_.fatSectorCount;
    std::vector<std::uint32_t>& fatSectors = buffers_->fatSectors;
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
            return StreamReadResult::NotCompoundFile;
        }
    }
    const std::uint32_t idsPerDifatSector = header_.sectorSize / 4 - 1;
    std::vector<std::uint8_t>& difat = buffers_->difatSector;
    difat.resize(header_.sectorSize);
    // A loop in the chain is found by coming back to a sector marked at ever longer intervals,
    // which needs no memory however far the file claims the chain goes.
    std::uint32_t marked = kEndOfChain;
    std::uint64_t sinceMarked = 0;
    std::uint64_t interval = 1;
    for (std::uint32_t next = header_.firstDifatSector; listed < count;
         next = Le32(difat, 4 * idsPerDifatSector)) {
        if (next >= sectorCount_ || next == marked ||
            file_->ReadAt(SectorOffset(next), difat) < difat.size()) {
            return StreamReadResult::NotCompoundFile;
        }
        if (++sinceMarked == interval) {
            marked = next;
            sinceMarked = 0;
            interval *= 2;
        }
        for (std::uint32_t i = 0; i < idsPerDifatSector && listed < count; ++i) {
            if (!list(Le32(difat, 4 * i))) {
                return StreamReadResult::NotCompoundFile;
            }
        }
    }
    return StreamReadResult::Read;
}

StreamReadResult Reader::LoadDirectory() {
    std::vector<std::uint32_t>& chain = buffers_->chain;
    // One sector past the largest directory tells a directory that is too large; the largest
    // one stays within what any file may leave unbacked.
    const std::uint64_t mostSectors = kLargestDirectory / header_.sectorSize;
    FollowChain(buffers_->fat, header_.firstDirectorySector, sectorCount_, mostSectors + 1, chain);
    if (chain.size() > mostSectors) {
        return StreamReadResult::StructureTooLarge;
    }
    std::vector<std::uint8_t>& bytes = buffers_->directory;
    bytes.assign(chain.size() * header_.sectorSize, 0);
    ReadSectors(chain, bytes);
    directory_ = Directory(bytes);
    return directory_.Count() > 0 && directory_.Entry(0).type == EntryType::Root
               ? StreamReadResult::Read
               : StreamReadResult::NotCompoundFile;
}

StreamReadResult Reader::LoadMiniStream() {
    if (miniStreamLoaded_) {
        return *miniStreamLoaded_;
    }
    const DirectoryEntry root = directory_.Entry(0);
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

std::size_t Reader::ReadSectors(std::span<const std::uint32_t> sectors,
                                std::span<std::uint8_t> out) {
    RunReader reader(*file_, out);
    for (std::uint32_t sector : sectors) {
        if (!reader.Append(SectorOffset(sector), header_.sectorSize)) {
            break;
        }
    }
    return reader.Finish();
}

void Reader::ReadIdTable(std::span<const std::uint32_t> sectors, std::vector<std::uint32_t>& ids) {
    // Whatever cannot be read stays 0xFF bytes, which is the free-sector mark. The sectors are
    // read straight into the table and decoded where they lie.
    ids.assign(sectors.size() * header_.sectorSize / 4, kFreeSector);
    const std::span<std::uint8_t> bytes(reinterpret_cast<std::uint8_t*>(ids.data()),
                                        ids.size() * 4);
    ReadSectors(sectors, bytes);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        ids[i] = Le32(bytes, 4 * i);
    }
}

std::size_t Reader::ReadMiniSectors(std::span<const std::uint32_t> miniSectors,
                                    std::span<std::uint8_t> out) {
    const std::vector<std::uint32_t>& containerSectors = buffers_->miniStreamSectors;
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
    std::vector<bool>& seen = buffers_->seen;
    seen.assign(directory_.Count(), false);
    seen[0] = true;
    std::optional<std::uint32_t> found;
    directory_.WalkSiblings(
        directory_.Entry(0).child, seen, buffers_->pending, [&](std::uint32_t id) {
            const DirectoryEntry entry = directory_.Entry(id);
            if (entry.type == EntryType::Stream && SameEntryName(entry.Name(), name)) {
                found = id;
            }
            return !found;
        });
    return found;
}

std::span<const std::uint8_t> Reader::HeldStream(std::uint64_t size) const {
    const std::vector<std::uint32_t>& chain = buffers_->chain;
    if (chain.empty() || chain.size() * std::uint64_t{header_.sectorSize} < size ||
        !IsOneRun(chain)) {
        return {};
    }
    return file_->Held(SectorOffset(chain.front()), static_cast<std::size_t>(size));
}

StreamReadResult Reader::ReadStream(std::uint32_t entryId, std::span<const std::uint8_t>& image) {
    image = {};
    const DirectoryEntry entry = directory_.Entry(entryId);
    const std::uint64_t size = header_.EntrySize(entry.recordedSize);
    if (size > kLargestStream || size > file_->Size() - header_.sectorSize) {
        return StreamReadResult::StreamTooLarge;
    }
    std::vector<std::uint32_t>& chain = buffers_->chain;
    std::span<std::uint8_t> out;
    std::size_t filled = 0;
    if (size >= kMiniStreamCutoff) {
        FollowChain(buffers_->fat, entry.startSector, sectorCount_,
                    DivideUp(size, header_.sectorSize), chain);
        if (!Backs(size, chain.size() * std::uint64_t{header_.sectorSize})) {
            return StreamReadResult::StreamTooLarge;
        }
        if (const std::span<const std::uint8_t> held = HeldStream(size); !held.empty()) {
            image = held;
            return StreamReadResult::Read;
        }
        out = buffers_->image.Take(size);
        filled = ReadSectors(chain, out);
    } else if (size > 0) {
        if (const StreamReadResult loaded = LoadMiniStream(); loaded != StreamReadResult::Read) {
            return loaded;
        }
        FollowChain(buffers_->miniFat, entry.startSector, miniSectorCount_,
                    DivideUp(size, kMiniSectorSize), chain);
        out = buffers_->image.Take(size);
        filled = ReadMiniSectors(chain, out);
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(filled), out.end(), 0);
    image = out;
    return StreamReadResult::Read;
}

void Reader::ForEachStream(const std::function<void(const StoredStream&)>& visit) {
    struct Storage {
        std::uint32_t entry;
        std::vector<std::u16string> path;
    };
    // The walk keeps its own marks: reading a stream uses the buffers' own.
    std::vector<bool> seen(directory_.Count());
    seen[0] = true;
    std::vector<std::uint32_t> siblings;
    std::vector<Storage> pending{{0, {}}};
    while (!pending.empty()) {
        const Storage storage = std::move(pending.back());
        pending.pop_back();
        directory_.WalkSiblings(directory_.Entry(storage.entry).child, seen, siblings,
                                [&](std::uint32_t id) {
                                    const DirectoryEntry entry = directory_.Entry(id);
                                    std::vector<std::u16string> path = storage.path;
                                    path.emplace_back(entry.Name());
                                    if (entry.type == EntryType::Storage) {
                                        pending.push_back({id, std::move(path)});
                                    } else if (entry.type == EntryType::Stream) {
                                        std::span<const std::uint8_t> image;
                                        const StreamReadResult result = ReadStream(id, image);
                                        visit({.path = path, .result = result, .bytes = image});
                                    }
                                    return true;
                                });
    }
}

}  // namespace kalvor::platform::cfb
