#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cfb/byte_source.h"
#include "platform/exclusive_file.h"

namespace kalvor::scan {

// An opened document as the readers of formats read it. Its reads are the file's own, so what
// they meet on the disk still reaches the file's read signs.
class DocumentBytes final : public cfb::ByteSource {
  public:
    explicit DocumentBytes(platform::ExclusiveFile& file) : file_(file) {}

    std::uint64_t Size() const override { return file_.Size(); }
    std::uint64_t BackedSize() const override { return file_.BackedSize(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
        return file_.ReadAt(offset, out);
    }

  private:
    platform::ExclusiveFile& file_;
};

}  // namespace kalvor::scan
