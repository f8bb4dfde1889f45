#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"
#include "platform/cfb_directory.h"
#include "platform/cfb_header.h"
#include "platform/compound_file.h"

namespace kalvor::platform::cfb {

// An opened compound file: header, FAT and directory loaded and checked; the mini stream's
// tables loaded on first need.
class Reader {
  public:
    // Nothing when the file has no valid header, FAT or directory.
    static std::optional<Reader> Open(ByteSource& file);

    std::optional<std::uint32_t> FindRootStream(std::u16string_view name) const;
    StreamReadResult ReadStream(std::uint32_t entry, std::vector<std::uint8_t>& image);
    void ForEachStream(const std::function<void(const StoredStream&)>& visit);

  private:
    Reader(ByteSource& file, const Header& header);

    bool LoadFat();
    bool LoadDirectory();
    void LoadMiniStream();

    std::uint64_t SectorOffset(std::uint32_t sector) const;
    std::size_t ReadSectors(std::span<const std::uint32_t> sectors, std::span<std::uint8_t> out);
    std::vector<std::uint32_t> ReadIdTable(std::span<const std::uint32_t> sectors);
    std::size_t ReadMiniSectors(std::span<const std::uint32_t> miniSectors,
                                std::span<std::uint8_t> out);

    ByteSource* file_;
    Header header_;
    std::uint32_t sectorCount_ = 0;  // sectors that start inside the file
    std::vector<std::uint32_t> fat_;
    Directory directory_{{}};
    bool miniStreamLoaded_ = false;
    std::vector<std::uint32_t> miniFat_;
    std::vector<std::uint32_t> miniStreamSectors_;
    std::uint32_t miniSectorCount_ = 0;
};

}  // namespace kalvor::platform::cfb
