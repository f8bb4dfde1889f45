#include "cfb/directory.h"

#include <algorithm>

namespace kalvor::cfb {
namespace {

EntryType TypeOf(std::uint8_t raw) {
    switch (raw) {
        case 1:
            return EntryType::Storage;
        case 2:
            return EntryType::Stream;
        case 5:
            return EntryType::Root;
        default:
            return EntryType::Unused;
    }
}

}  // namespace

Entry Directory::At(std::uint32_t index) const {
    const auto raw = LoadRecord<RawEntry>(bytes_, std::size_t{index} * kEntrySize);
    Entry entry;
    entry.type = TypeOf(raw.type);
    entry.left = raw.left.Value();
    entry.right = raw.right.Value();
    entry.child = raw.child.Value();
    entry.startSector = raw.startSector.Value();
    entry.recordedSize = raw.size.Value();
    // The recorded length counts bytes and the terminator; a wrong one is cut to the field.
    const std::size_t nameBytes = std::min<std::size_t>(raw.nameBytes.Value(), 2 * kEntryNameUnits);
    entry.nameLength = static_cast<std::uint8_t>(nameBytes >= 2 ? (nameBytes - 2) / 2 : 0);
    for (std::size_t i = 0; i < entry.nameLength; ++i) {
        entry.nameUnits[i] = static_cast<char16_t>(raw.name[i].Value());
    }
    return entry;
}

}  // namespace kalvor::cfb
