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

}  // namespace

std::optional<Reader> Reader::Open(ByteSource& file) {
    std::array<std::uint8_t, kHeaderSize> headerBytes{};
    if (file.ReadAt(0, headerBytes) < kHeaderSize) {
        return std::nullopt;
    }
    const std::optional<Header> header = ParseHeader(headerBytes);
    if (!header) {
        return std::nullopt;
    }
    Reader reader(file, *header);
    if (!reader.LoadFat() || !reader.LoadDirectory()) {
        return std::nullopt;
    }
    return reader;
}

Reader::Reader(ByteSource& file, const Header& header) : file_(&file), header_(header) {
    const std::uint64_t size = file.Size();
    if (size > header.sectorSize) {
        sectorCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(
            DivideUp(size - header.sectorSize, header.sectorSize), kMaxRegularSector + 1));
    }
}

std::uint64_t Reader::SectorOffset(std::uint32_t sector) const {
    return (std::uint64_t{sector} + 1) * header_.sectorSize;
}

bool Reader::LoadFat() {
    const std::uint32_t count = header_.fatSectorCount;
    if (count > sectorCount_) {
        return false;
    }
    std::vector<std::uint32_t> fatSectors(
        header_.fatSectorIds.begin(),
        header_.fatSectorIds.begin() + std::min(count, kHeaderFatSectorIds));
    const std::uint32_t idsPerDifatSector = header_.sectorSize / 4 - 1;
    std::vector<std::uint8_t> difat(header_.sectorSize);
    std::vector<bool> seen(sectorCount_);
    for (std::uint32_t next = header_.firstDifatSector; fatSectors.size() < count;
         next = Le32(difat, 4 * idsPerDifatSector)) {
        if (next >= sectorCount_ || seen[next] ||
            file_->ReadAt(SectorOffset(next), difat) < difat.size()) {
            return false;
        }
        seen[next] = true;
        for (std::uint32_t i = 0; i < idsPerDifatSector && fatSectors.size() < count; ++i) {
            fatSectors.push_back(Le32(difat, 4 * i));
        }
    }
    if (std::any_of(fatSectors.begin(), fatSectors.end(),
                    [&](std::uint32_t sector) { return sector >= sectorCount_; })) {
        return false;
    }
    fat_ = ReadIdTable(fatSectors);
    return true;
}

bool Reader::LoadDirectory() {
    const std::vector<std::uint32_t> chain =
        FollowChain(fat_, header_.firstDirectorySector, sectorCount_, sectorCount_);
    std::vector<std::uint8_t> bytes(chain.size() * header_.sectorSize);
    ReadSectors(chain, bytes);
    directory_ = Directory(std::move(bytes));
    return directory_.Count() > 0 && directory_.Entry(0).type == EntryType::Root;
}

void Reader::LoadMiniStream() {
    if (miniStreamLoaded_) {
        return;
    }
    miniStreamLoaded_ = true;
    const DirectoryEntry root = directory_.Entry(0);
    const std::uint64_t size = std::min(header_.EntrySize(root.recordedSize), file_->Size());
    miniStreamSectors_ =
        FollowChain(fat_, root.startSector, sectorCount_, DivideUp(size, header_.sectorSize));
    miniFat_ = ReadIdTable(
        FollowChain(fat_, header_.firstMiniFatSector, sectorCount_, header_.miniFatSectorCount));
    miniSectorCount_ = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(miniFat_.size(), DivideUp(size, kMiniSectorSize)));
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

std::vector<std::uint32_t> Reader::ReadIdTable(std::span<const std::uint32_t> sectors) {
    // Whatever cannot be read stays 0xFF bytes, which is the free-sector mark.
    std::vector<std::uint8_t> bytes(sectors.size() * header_.sectorSize, 0xFF);
    ReadSectors(sectors, bytes);
    std::vector<std::uint32_t> ids(bytes.size() / 4);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        ids[i] = Le32(bytes, 4 * i);
    }
    return ids;
}

std::size_t Reader::ReadMiniSectors(std::span<const std::uint32_t> miniSectors,
                                    std::span<std::uint8_t> out) {
    RunReader reader(*file_, out);
    for (std::uint32_t miniSector : miniSectors) {
        const std::uint64_t position = std::uint64_t{miniSector} * kMiniSectorSize;
        const std::uint64_t index = position / header_.sectorSize;
        if (index >= miniStreamSectors_.size() ||
            !reader.Append(SectorOffset(miniStreamSectors_[index]) + position % header_.sectorSize,
                           kMiniSectorSize)) {
            break;
        }
    }
    return reader.Finish();
}

std::optional<std::uint32_t> Reader::FindRootStream(std::u16string_view name) const {
    std::vector<bool> seen(directory_.Count());
    seen[0] = true;
    std::optional<std::uint32_t> found;
    directory_.WalkSiblings(directory_.Entry(0).child, seen, [&](std::uint32_t id) {
        const DirectoryEntry entry = directory_.Entry(id);
        if (entry.type == EntryType::Stream && SameEntryName(entry.Name(), name)) {
            found = id;
        }
        return !found;
    });
    return found;
}

StreamReadResult Reader::ReadStream(std::uint32_t entryId, std::vector<std::uint8_t>& image) {
    const DirectoryEntry entry = directory_.Entry(entryId);
    const std::uint64_t size = header_.EntrySize(entry.recordedSize);
    if (size > kLargestStream || size > file_->Size() - header_.sectorSize) {
        image.clear();
        return StreamReadResult::StreamTooLarge;
    }
    image.resize(size);
    std::size_t filled = 0;
    if (size >= kMiniStreamCutoff) {
        filled = ReadSectors(
            FollowChain(fat_, entry.startSector, sectorCount_, DivideUp(size, header_.sectorSize)),
            image);
    } else if (size > 0) {
        LoadMiniStream();
        filled = ReadMiniSectors(FollowChain(miniFat_, entry.startSector, miniSectorCount_,
                                             DivideUp(size, kMiniSectorSize)),
                                 image);
    }
    std::fill(image.begin() + static_cast<std::ptrdiff_t>(filled), image.end(), 0);
    return StreamReadResult::Read;
}

void Reader::ForEachStream(const std::function<void(const StoredStream&)>& visit) {
    struct Storage {
        std::uint32_t entry;
        std::vector<std::u16string> path;
    };
    std::vector<bool> seen(directory_.Count());
    seen[0] = true;
    std::vector<Storage> pending{{0, {}}};
    std::vector<std::uint8_t> image;
    while (!pending.empty()) {
        const Storage storage = std::move(pending.back());
        pending.pop_back();
        directory_.WalkSiblings(directory_.Entry(storage.entry).child, seen, [&](std::uint32_t id) {
            const DirectoryEntry entry = directory_.Entry(id);
            std::vector<std::u16string> path = storage.path;
            path.emplace_back(entry.Name());
            if (entry.type == EntryType::Storage) {
                pending.push_back({id, std::move(path)});
            } else if (entry.type == EntryType::Stream) {
                const StreamReadResult result = ReadStream(id, image);
                visit({.path = path, .result = result, .bytes = image});
            }
            return true;
        });
    }
}

}  // namespace kalvor::platform::cfb
