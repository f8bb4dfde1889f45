#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "cfb/charged_memory.h"
#include "cfb/layout.h"

namespace kalvor::cfb {

// A directory entry, decoded.
struct Entry {
    EntryType type = EntryType::Unused;
    std::uint32_t left = kNoEntry;
    std::uint32_t right = kNoEntry;
    std::uint32_t child = kNoEntry;
    std::uint32_t startSector = kEndOfChain;
    std::uint64_t recordedSize = 0;  // all 64 bits, whatever the version
    std::array<char16_t, kEntryNameUnits - 1> nameUnits{};
    std::uint8_t nameLength = 0;

    std::u16string_view Name() const { return {nameUnits.data(), nameLength}; }
};

// The directory stream: entries decoded on demand, trees walked defensively.
class Directory {
  public:
    explicit Directory(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t Count() const { return static_cast<std::uint32_t>(bytes_.size() / kEntrySize); }
    Entry At(std::uint32_t index) const;

    // Visits the entries of the sibling tree whose top is `top`, in tree order, until `visit`
    // returns false. Ids out of range and entries already in `seen` (sized Count()) are treated
    // as absent, so a tree that links back into itself or elsewhere ends instead of looping.
    // `pending` is working memory. Returns false when `visit` stopped the walk.
    template <typename Visit>
    bool WalkSiblings(std::uint32_t top, ChargedVector<bool>& seen,
                      ChargedVector<std::uint32_t>& pending, Visit&& visit) const {
        pending.clear();
        const auto descend = [&](std::uint32_t id) {
            for (; id < Count() && !seen[id]; id = Link(id, offsetof(RawEntry, left))) {
                seen[id] = true;
                pending.push_back(id);
            }
        };
        descend(top);
        while (!pending.empty()) {
            const std::uint32_t id = pending.back();
            pending.pop_back();
            if (!visit(id)) {
                return false;
            }
            descend(Link(id, offsetof(RawEntry, right)));
        }
        return true;
    }

  private:
    // The sibling link at `field` (an offset in RawEntry) of entry `index`.
    std::uint32_t Link(std::uint32_t index, std::size_t field) const {
        return LoadRecord<ulittle32_t>(bytes_, std::size_t{index} * kEntrySize + field).Value();
    }

    std::span<const std::uint8_t> bytes_;
};

}  // namespace kalvor::cfb
