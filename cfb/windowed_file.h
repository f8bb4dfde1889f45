#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cfb/byte_buffer.h"
#include "cfb/byte_source.h"
#include "cfb/memory_hook.h"

namespace kalvor::cfb {

// Memory for the windows of a WindowedFile, kept from one file to the next, charged through
// `memory`.
struct WindowBuffers {
    explicit WindowBuffers(MemoryHook& memory) : first(memory), next(memory) {}

    ByteBuffer first;
    ByteBuffer next;
};

// A file read through two windows of memory, so that what a compound-file reader needs costs few
// reads: the first read brings in a large window (a small file whole) with one call, and a read
// that misses it brings in a window from there on, which in files written by Word holds the FAT
// and the directory together near the end. A read too large for a window takes what a window
// holds of its start and reads the rest straight from the file.
class WindowedFile final : public ByteSource {
  public:
    static constexpr std::size_t kFirstWindow = 256 * 1024;
    static constexpr std::size_t kNextWindow = 64 * 1024;

    WindowedFile(ByteSource& file, WindowBuffers& buffers)
        : file_(file), first_{&buffers.first}, next_{&buffers.next} {}

    std::uint64_t Size() const override { return file_.Size(); }
    std::uint64_t BackedSize() const override { return file_.BackedSize(); }
    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    std::span<const std::uint8_t> Held(std::uint64_t offset, std::size_t length) const override;

  private:
    struct Window {
        ByteBuffer* buffer;
        const std::uint8_t* bytes = nullptr;
        std::uint64_t offset = 0;
        std::size_t length = 0;

        // What the window holds from `at` to its end.
        std::span<const std::uint8_t> From(std::uint64_t at) const;
    };

    std::span<const std::uint8_t> HeldFrom(std::uint64_t at) const;
    std::span<const std::uint8_t> Load(std::uint64_t at);

    ByteSource& file_;
    Window first_;
    Window next_;
    bool firstLoaded_ = false;
};

}  // namespace kalvor::cfb
