#include "scan/formats/zip_end_records.h"

#include <algorithm>
#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace kalvor::scan {

namespace {

constexpr std::string_view kEndSignature = "PK\x05\x06";
constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr std::uint32_t kZip64EndSignature = 0x06064B50;
constexpr std::uint64_t kEndSize = 22;
constexpr std::uint64_t kZip64LocatorSize = 20;
constexpr std::uint64_t kZip64EndSize = 56;
// A central directory entry without name, extra field or comment.
constexpr std::uint64_t kSmallestDirectoryEntry = 46;
// Where libzip looks for end records: the largest comment, the end record and a ZIP64 locator.
constexpr std::uint64_t kSearchedTail = 0xFFFF + kEndSize + kZip64LocatorSize;

std::uint64_t LittleEndian(std::span<const std::uint8_t> bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
    }
    return value;
}

// The ZIP64 end record that the locator at `locator` in the file names, checked; its directory's
// size in `directoryBytes`.
std::optional<NotExaminedReason> CheckZip64EndRecord(cfb::ByteSource& file,
                                                     std::span<const std::uint8_t> locatorBytes,
                                                     std::uint64_t locator,
                                                     std::uint64_t& directoryBytes) {
    const std::uint64_t record = LittleEndian(locatorBytes, 8, 8);
    if (record > locator || locator - record < kZip64EndSize) {
        return PackageRefusal::Damaged;
    }
    std::array<std::uint8_t, kZip64EndSize> bytes{};
    if (file.ReadAt(record, bytes) < bytes.size()) {
        return FileRefusal::Unreadable;
    }
    if (LittleEndian(bytes, 0, 4) != kZip64EndSignature) {
        return PackageRefusal::Damaged;
    }
    const std::uint64_t entries = std::max(LittleEndian(bytes, 24, 8), LittleEndian(bytes, 32, 8));
    directoryBytes = LittleEndian(bytes, 40, 8);
    const std::uint64_t offset = LittleEndian(bytes, 48, 8);
    if (offset > record || record - offset < directoryBytes ||
        entries > directoryBytes / kSmallestDirectoryEntry) {
        return PackageRefusal::Damaged;
    }
    if (directoryBytes > kMaxCentralDirectory) {
        return PackageRefusal::TooLarge;
    }
    return std::nullopt;
}

}  // namespace

EndRecords CheckEndRecords(cfb::ByteSource& file) {
    const std::uint64_t size = file.Size();
    const std::uint64_t tailStart = size - std::min(size, kSearchedTail);
    const auto tailSize = static_cast<std::size_t>(size - tailStart);
    std::span<const std::uint8_t> tail = file.Held(tailStart, tailSize);
    std::vector<std::uint8_t> read;
    if (tail.empty() && tailSize > 0) {
        read.resize(tailSize);
        if (file.ReadAt(tailStart, read) < read.size()) {
            return {.refusal = FileRefusal::Unreadable};
        }
        tail = read;
    }
    // libzip tries every end record in the tail.
    EndRecords end;
    const std::string_view text(reinterpret_cast<const char*>(tail.data()), tail.size());
    for (std::size_t at = text.find(kEndSignature); at != std::string_view::npos;
         at = text.find(kEndSignature, at + 1)) {
        if (at + kEndSize > tail.size()) {
            break;
        }
        std::uint64_t directoryBytes = LittleEndian(tail, at + 12, 4);
        if (at >= kZip64LocatorSize &&
            LittleEndian(tail, at - kZip64LocatorSize, 4) == kZip64LocatorSignature) {
            end.refusal =
                CheckZip64EndRecord(file, tail.subspan(at - kZip64LocatorSize, kZip64LocatorSize),
                                    tailStart + at - kZip64LocatorSize, directoryBytes);
            if (end.refusal.has_value()) {
                return end;
            }
        } else if (LittleEndian(tail, at + 16, 4) + directoryBytes > tailStart + at) {
            continue;  // libzip passes over an end record whose directory does not end before it
        }
        end.directoryBytes =
            std::max(end.directoryBytes, std::min({directoryBytes, kMaxCentralDirectory, size}));
    }
    return end;
}

}  // namespace kalvor::scan
