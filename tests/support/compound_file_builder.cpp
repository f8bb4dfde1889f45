#include "tests/support/compound_file_builder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "cfb/layout.h"

namespace kalvor::testing {
namespace {

using cfb::kDifatSectorMark;
using cfb::kEndOfChain;
using cfb::kFatSectorMark;
using cfb::kFreeSector;
using cfb::kMiniSectorSize;
using cfb::kMiniStreamCutoff;
using cfb::kNoEntry;
constexpr std::uint32_t kHeaderDifatCount = cfb::kHeaderFatSectorIds;
constexpr std::uint32_t kEntryBytes = cfb::kEntrySize;
constexpr std::size_t kMaxNameUnits = cfb::kEntryNameUnits - 1;
constexpr auto kStorageType = static_cast<std::uint8_t>(cfb::EntryType::Storage);
constexpr auto kStreamType = static_cast<std::uint8_t>(cfb::EntryType::Stream);
constexpr auto kRootType = static_cast<std::uint8_t>(cfb::EntryType::Root);

std::uint32_t UnitsFor(std::uint64_t bytes, std::uint32_t unit) {
    return static_cast<std::uint32_t>((bytes + unit - 1) / unit);
}

// Hands out `count` consecutive ids from `next`, in chain order.
std::vector<std::uint32_t> Allocate(std::uint32_t& next, std::uint32_t count, bool reverse) {
    std::vector<std::uint32_t> ids(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        ids[i] = next + i;
    }
    if (reverse) {
        std::reverse(ids.begin(), ids.end());
    }
    next += count;
    return ids;
}

struct Node {
    std::u16string name;
    std::uint8_t type = kStreamType;
    const std::vector<std::uint8_t>* data = nullptr;
    std::uint32_t left = kNoEntry;
    std::uint32_t right = kNoEntry;
    std::uint32_t child = kNoEntry;
    std::uint32_t start = kEndOfChain;
    std::uint64_t size = 0;
    std::vector<std::uint32_t> children;
};

// The order the format keeps siblings in: shorter names first, then upper-cased code units.
bool SiblingOrder(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    const auto upper = [](char16_t c) {
        return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
    };
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [&](char16_t x, char16_t y) { return upper(x) < upper(y); });
}

// Links the sorted siblings[lo, hi) into a balanced tree (valid red-black with every node
// black) and returns its root.
std::uint32_t LinkBalanced(std::vector<Node>& nodes, const std::vector<std::uint32_t>& siblings,
                           std::size_t lo, std::size_t hi) {
    if (lo >= hi) {
        return kNoEntry;
    }
    const std::size_t mid = lo + (hi - lo) / 2;
    const std::uint32_t left = LinkBalanced(nodes, siblings, lo, mid);
    const std::uint32_t right = LinkBalanced(nodes, siblings, mid + 1, hi);
    nodes[siblings[mid]].left = left;
    nodes[siblings[mid]].right = right;
    return siblings[mid];
}

std::vector<Node> MakeDirectory(const CompoundFileSpec& spec, CompoundFileLayout& layout) {
    std::vector<Node> nodes(1);
    nodes[0].name = u"Root Entry";
    nodes[0].type = kRootType;
    const auto addStream = [&](const CompoundStream& stream, std::uint32_t parent) {
        if (stream.name.size() > kMaxNameUnits) {
            throw std::invalid_argument("stream name too long");
        }
        const auto entry = static_cast<std::uint32_t>(nodes.size());
        Node& node = nodes.emplace_back();
        node.name = stream.name;
        node.data = &stream.data;
        node.size = stream.data.size();
        nodes[parent].children.push_back(entry);
        layout.streams.push_back({.name = stream.name,
                                  .directoryEntry = entry,
                                  .inMiniStream = stream.data.size() < kMiniStreamCutoff,
                                  .chain = {}});
    };
    for (const CompoundStream& stream : spec.rootStreams) {
        addStream(stream, 0);
    }
    for (const CompoundStorage& storage : spec.rootStorages) {
        const auto entry = static_cast<std::uint32_t>(nodes.size());
        Node& node = nodes.emplace_back();
        node.name = storage.name;
        node.type = kStorageType;
        nodes[0].children.push_back(entry);
        layout.storageEntries.push_back(entry);
    }
    for (std::size_t i = 0; i < spec.rootStorages.size(); ++i) {
        for (const CompoundStream& stream : spec.rootStorages[i].streams) {
            addStream(stream, layout.storageEntries[i]);
        }
    }
    for (Node& node : nodes) {
        std::vector<std::uint32_t> siblings = node.children;
        std::sort(siblings.begin(), siblings.end(), [&](std::uint32_t a, std::uint32_t b) {
            return SiblingOrder(nodes[a].name, nodes[b].name);
        });
        node.child = LinkBalanced(nodes, siblings, 0, siblings.size());
    }
    return nodes;
}

void LinkChain(std::vector<std::uint32_t>& table, const std::vector<std::uint32_t>& chain) {
    for (std::size_t i = 0; i < chain.size(); ++i) {
        table.at(chain[i]) = i + 1 < chain.size() ? chain[i + 1] : kEndOfChain;
    }
}

std::uint32_t Count(const std::vector<std::uint32_t>& ids) {
    return static_cast<std::uint32_t>(ids.size());
}

std::uint32_t ChainStart(const std::vector<std::uint32_t>& chain) {
    return chain.empty() ? kEndOfChain : chain.front();
}

// Copies a record of the format into `bytes` at `offset`.
template <typename Record>
void PutRecord(std::vector<std::uint8_t>& bytes, std::uint64_t offset, const Record& record) {
    if (offset + sizeof(Record) > bytes.size()) {
        throw std::out_of_range("record beyond the file");
    }
    std::memcpy(bytes.data() + offset, &record, sizeof(Record));
}

void WriteEntry(std::vector<std::uint8_t>& bytes, std::uint64_t offset, const Node& node) {
    cfb::RawEntry entry{};
    for (std::size_t i = 0; i < node.name.size(); ++i) {
        entry.name[i].Set(node.name[i]);
    }
    entry.nameBytes.Set(
        static_cast<std::uint16_t>(node.name.empty() ? 0 : 2 * (node.name.size() + 1)));
    entry.type = node.type;
    entry.color = node.type == 0 ? 0 : cfb::kBlackNode;
    entry.left.Set(node.left);
    entry.right.Set(node.right);
    entry.child.Set(node.child);
    entry.startSector.Set(node.type == 0 ? 0 : node.start);
    entry.size.Set(node.size);
    PutRecord(bytes, offset, entry);
}

class Writer {
  public:
    Writer(const CompoundFileSpec& spec, BuiltCompoundFile& built)
        : spec_(spec), built_(built), layout_(built.layout) {}

    void Run() {
        if (spec_.majorVersion != 3 && spec_.majorVersion != 4) {
            throw std::invalid_argument("major version must be 3 or 4");
        }
        layout_.sectorSize = spec_.majorVersion == 3 ? 512 : 4096;
        idsPerSector_ = layout_.sectorSize / 4;
        nodes_ = MakeDirectory(spec_, layout_);
        PlaceSectors();
        built_.bytes.assign((std::uint64_t{sectorCount_} + 1) * layout_.sectorSize, 0);
        WriteStreams();
        WriteTables();
        WriteDirectory();
        WriteHeader();
    }

  private:
    void PlaceSectors() {
        for (auto& placed : layout_.streams) {
            if (placed.inMiniStream) {
                placed.chain = Allocate(miniSectorCount_, UnitsFor(SizeOf(placed), kMiniSectorSize),
                                        spec_.reverseChains);
            }
        }
        const std::uint32_t sectorSize = layout_.sectorSize;
        const std::uint32_t directoryCount = UnitsFor(nodes_.size() * kEntryBytes, sectorSize);
        const std::uint32_t miniFatCount =
            UnitsFor(std::uint64_t{miniSectorCount_} * 4, sectorSize);
        const std::uint32_t miniStreamCount =
            UnitsFor(std::uint64_t{miniSectorCount_} * kMiniSectorSize, sectorSize);
        std::uint64_t contentCount = directoryCount + miniFatCount + miniStreamCount;
        for (const auto& placed : layout_.streams) {
            contentCount += placed.inMiniStream ? 0 : UnitsFor(SizeOf(placed), sectorSize);
        }
        std::uint32_t fatCount = std::max<std::uint32_t>(1, spec_.minimumFatSectors);
        std::uint32_t difatCount = 0;
        for (;; ++fatCount) {
            difatCount = fatCount > kHeaderDifatCount
                             ? UnitsFor(fatCount - kHeaderDifatCount, idsPerSector_ - 1)
                             : 0;
            if (std::uint64_t{fatCount} * idsPerSector_ >= contentCount + fatCount + difatCount) {
                break;
            }
        }
        const bool reverse = spec_.reverseChains;
        layout_.fatSectors = Allocate(sectorCount_, fatCount, false);
        layout_.difatSectors = Allocate(sectorCount_, difatCount, false);
        layout_.directorySectors = Allocate(sectorCount_, directoryCount, reverse);
        layout_.miniFatSectors = Allocate(sectorCount_, miniFatCount, reverse);
        layout_.miniStreamSectors = Allocate(sectorCount_, miniStreamCount, reverse);
        for (auto& placed : layout_.streams) {
            if (!placed.inMiniStream) {
                placed.chain =
                    Allocate(sectorCount_, UnitsFor(SizeOf(placed), sectorSize), reverse);
            }
            nodes_[placed.directoryEntry].start = ChainStart(placed.chain);
        }
        nodes_[0].start = ChainStart(layout_.miniStreamSectors);
        nodes_[0].size = std::uint64_t{miniSectorCount_} * kMiniSectorSize;
    }

    std::uint64_t SizeOf(const CompoundFileLayout::PlacedStream& placed) const {
        return nodes_[placed.directoryEntry].size;
    }

    void WriteStreams() {
        for (const auto& placed : layout_.streams) {
            const std::vector<std::uint8_t>& data = *nodes_[placed.directoryEntry].data;
            const std::uint32_t unit = placed.inMiniStream ? kMiniSectorSize : layout_.sectorSize;
            for (std::size_t i = 0; i < placed.chain.size(); ++i) {
                const std::size_t begin = i * unit;
                const std::size_t count = std::min<std::size_t>(unit, data.size() - begin);
                const std::uint64_t offset = placed.inMiniStream
                                                 ? MiniSectorOffset(placed.chain[i])
                                                 : layout_.SectorOffset(placed.chain[i]);
                std::memcpy(built_.bytes.data() + offset, data.data() + begin, count);
            }
        }
    }

    std::uint64_t MiniSectorOffset(std::uint32_t miniSector) const {
        const std::uint64_t position = std::uint64_t{miniSector} * kMiniSectorSize;
        return layout_.SectorOffset(layout_.miniStreamSectors.at(position / layout_.sectorSize)) +
               position % layout_.sectorSize;
    }

    void WriteTables() {
        std::vector<std::uint32_t> fat(layout_.fatSectors.size() * idsPerSector_, kFreeSector);
        for (std::uint32_t sector : layout_.fatSectors) {
            fat.at(sector) = kFatSectorMark;
        }
        for (std::uint32_t sector : layout_.difatSectors) {
            fat.at(sector) = kDifatSectorMark;
        }
        LinkChain(fat, layout_.directorySectors);
        LinkChain(fat, layout_.miniFatSectors);
        LinkChain(fat, layout_.miniStreamSectors);
        std::vector<std::uint32_t> miniFat(layout_.miniFatSectors.size() * idsPerSector_,
                                           kFreeSector);
        for (const auto& placed : layout_.streams) {
            LinkChain(placed.inMiniStream ? miniFat : fat, placed.chain);
        }
        for (std::uint32_t i = 0; i < fat.size(); ++i) {
            PutLe32(built_.bytes, layout_.FatEntryOffset(i), fat[i]);
        }
        for (std::uint32_t i = 0; i < miniFat.size(); ++i) {
            PutLe32(built_.bytes, layout_.MiniFatEntryOffset(i), miniFat[i]);
        }
        WriteDifatSectors();
    }

    void WriteDifatSectors() {
        const std::vector<std::uint32_t>& difat = layout_.difatSectors;
        const std::uint32_t perDifatSector = idsPerSector_ - 1;
        for (std::size_t k = 0; k < difat.size(); ++k) {
            const std::uint64_t offset = layout_.SectorOffset(difat[k]);
            for (std::uint32_t j = 0; j < perDifatSector; ++j) {
                const std::size_t index = kHeaderDifatCount + k * perDifatSector + j;
                PutLe32(
                    built_.bytes, offset + 4 * j,
                    index < layout_.fatSectors.size() ? layout_.fatSectors[index] : kFreeSector);
            }
            PutLe32(built_.bytes, offset + 4 * perDifatSector,
                    k + 1 < difat.size() ? difat[k + 1] : kEndOfChain);
        }
    }

    void WriteDirectory() {
        const std::uint32_t slots =
            Count(layout_.directorySectors) * (layout_.sectorSize / kEntryBytes);
        Node unused;
        unused.type = 0;
        for (std::uint32_t i = 0; i < slots; ++i) {
            WriteEntry(built_.bytes, layout_.DirectoryEntryOffset(i),
                       i < nodes_.size() ? nodes_[i] : unused);
        }
    }

    void WriteHeader() {
        const auto majorVersion = static_cast<std::uint16_t>(spec_.majorVersion);
        cfb::RawHeader header{};
        header.signature = cfb::kSignature;
        header.minorVersion.Set(cfb::kMinorVersion);
        header.majorVersion.Set(majorVersion);
        header.byteOrder.Set(cfb::kLittleEndianMark);
        header.sectorShift.Set(cfb::SectorShiftOf(majorVersion));
        header.miniSectorShift.Set(cfb::kMiniSectorShift);
        header.directorySectorCount.Set(majorVersion == 3 ? 0 : Count(layout_.directorySectors));
        header.fatSectorCount.Set(Count(layout_.fatSectors));
        header.firstDirectorySector.Set(ChainStart(layout_.directorySectors));
        header.miniStreamCutoff.Set(kMiniStreamCutoff);
        header.firstMiniFatSector.Set(ChainStart(layout_.miniFatSectors));
        header.miniFatSectorCount.Set(Count(layout_.miniFatSectors));
        header.firstDifatSector.Set(ChainStart(layout_.difatSectors));
        header.difatSectorCount.Set(Count(layout_.difatSectors));
        for (std::uint32_t i = 0; i < kHeaderDifatCount; ++i) {
            header.fatSectorIds[i].Set(i < layout_.fatSectors.size() ? layout_.fatSectors[i]
                                                                     : kFreeSector);
        }
        PutRecord(built_.bytes, 0, header);
    }

    const CompoundFileSpec& spec_;
    BuiltCompoundFile& built_;
    CompoundFileLayout& layout_;
    std::uint32_t idsPerSector_ = 0;
    std::vector<Node> nodes_;
    std::uint32_t miniSectorCount_ = 0;
    std::uint32_t sectorCount_ = 0;
};

}  // namespace

std::uint64_t CompoundFileLayout::SectorOffset(std::uint32_t sector) const {
    return (std::uint64_t{sector} + 1) * sectorSize;
}

std::uint64_t CompoundFileLayout::FatEntryOffset(std::uint32_t sector) const {
    const std::uint32_t ids = sectorSize / 4;
    return SectorOffset(fatSectors.at(sector / ids)) + 4 * (sector % ids);
}

std::uint64_t CompoundFileLayout::MiniFatEntryOffset(std::uint32_t miniSector) const {
    const std::uint32_t ids = sectorSize / 4;
    return SectorOffset(miniFatSectors.at(miniSector / ids)) + 4 * (miniSector % ids);
}

std::uint64_t CompoundFileLayout::DirectoryEntryOffset(std::uint32_t entry) const {
    const std::uint32_t entries = sectorSize / kEntryBytes;
    return SectorOffset(directorySectors.at(entry / entries)) + kEntryBytes * (entry % entries);
}

const CompoundFileLayout::PlacedStream& CompoundFileLayout::Stream(std::u16string_view name) const {
    for (const PlacedStream& placed : streams) {
        if (placed.name == name) {
            return placed;
        }
    }
    throw std::out_of_range("no stream of that name was placed");
}

BuiltCompoundFile BuildCompoundFileWithLayout(const CompoundFileSpec& spec) {
    BuiltCompoundFile built;
    Writer(spec, built).Run();
    return built;
}

std::vector<std::uint8_t> BuildCompoundFile(const CompoundFileSpec& spec) {
    return BuildCompoundFileWithLayout(spec).bytes;
}

std::vector<std::uint8_t> BuildWordDocument(const std::vector<std::uint8_t>& wordDocumentStream,
                                            int majorVersion) {
    CompoundFileSpec spec;
    spec.majorVersion = majorVersion;
    spec.rootStreams.push_back({u"WordDocument", wordDocumentStream});
    return BuildCompoundFile(spec);
}

void PutLe32(std::vector<std::uint8_t>& bytes, std::uint64_t offset, std::uint32_t value) {
    cfb::ulittle32_t field;
    field.Set(value);
    PutRecord(bytes, offset, field);
}

std::uint32_t GetLe32(const std::vector<std::uint8_t>& bytes, std::uint64_t offset) {
    if (offset + sizeof(cfb::ulittle32_t) > bytes.size()) {
        throw std::out_of_range("field beyond the file");
    }
    return cfb::LoadRecord<cfb::ulittle32_t>(bytes, offset).Value();
}

}  // namespace kalvor::testing
