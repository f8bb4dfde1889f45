#pragma once

#include <compare>
#include <string>
#include <string_view>

namespace kalvor::platform {

// Orders file names the way an NTFS folder lists them: UTF-16 code units compared after
// upper-casing with a fixed table, independent of the process locale. Names that upper-case alike
// are ordered by their raw bytes, so the order is total.
struct NameOrderKey {
    std::u16string upcased;
    std::string raw;

    friend std::strong_ordering operator<=>(const NameOrderKey&, const NameOrderKey&) = default;
    friend bool operator==(const NameOrderKey&, const NameOrderKey&) = default;
};

// `name` is in the file system's bytes, taken as UTF-8. Each byte that starts no well-formed
// sequence becomes a code unit of its own, 0xDC00 + byte, so such names still sort stably.
NameOrderKey MakeNameOrderKey(std::string_view name);

// The upper case of one UTF-16 code unit: ASCII, Latin-1, Latin Extended, Greek, Cyrillic,
// Armenian and the full-width Latin letters; every other unit is its own upper case.
char16_t UpcaseUnit(char16_t unit);

}  // namespace kalvor::platform
