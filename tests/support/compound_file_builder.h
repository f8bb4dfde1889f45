#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kalvor::testing {

// Writes valid compound files with chosen streams and bytes, so tests need no binary fixtures.
struct CompoundStream {
    std::u16string name;
    std::vector<std::uint8_t> data;
};

struct CompoundFileSpec {
    int majorVersion = 3;  // 3: 512-byte sectors; 4: 4096-byte sectors
    std::vector<CompoundStream> rootStreams;
};

std::vector<std::uint8_t> BuildCompoundFile(const CompoundFileSpec& spec);

// A compound file whose root storage holds one "WordDocument" stream with these bytes.
std::vector<std::uint8_t> BuildWordDocument(const std::vector<std::uint8_t>& wordDocumentStream,
                                            int majorVersion = 3);

}  // namespace kalvor::testing
