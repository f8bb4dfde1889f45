#include "platform/cfb_directory.h"

#include <algorithm>

namespace kalvor::platform::cfb {
namespace {

// Byte offsets of the fields of one entry.
enum EntryField : std::size_t {
    kNameLengthField = 0x40,
    kTypeField = 0x42,
    kChildField = 0x4C,
    kStartField = 0x74,
    kSizeField = 0x78,
};

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

DirectoryEntry Directory::Entry(std::uint32_t index) const {
    const std::span<const std::uint8_t> raw(bytes_.data() + std::size_t{index} * kEntrySize,
                                            kEntrySize);
    DirectoryEntry entry;
    entry.type = TypeOf(raw[kTypeField]);
    entry.left = Le32(raw, kLeftField);
    entry.right = Le32(raw, kRightField);
    entry.child = Le32(raw, kChildField);
    entry.startSector = Le32(raw, kStartField);
    entry.recordedSize = Le64(raw, kSizeField);
    // The recorded length counts bytes and the terminator; a wrong one is cut to the field.
    const std::size_t nameBytes = std::min<std::size_t>(Le16(raw, kNameLengthField), 64);
    entry.nameLength = static_cast<std::uint8_t>(nameBytes >= 2 ? (nameBytes - 2) / 2 : 0);
    for (std::size_t i = 0; i < entry.nameLength; ++i) {
        entry.nameUnits[i] = static_cast<char16_t>(Le16(raw, 2 * i));
    }
    return entry;
}

std::uint32_t Directory::Field(std::uint32_t index, std::size_t offset) const {
    return Le32(bytes_, std::size_t{index} * kEntrySize + offset);
}

}  // namespace kalvor::platform::cfb
