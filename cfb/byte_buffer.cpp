#include "cfb/byte_buffer.h"

#include <algorithm>
#include <bit>

namespace kalvor::cfb {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

std::span<std::uint8_t> ByteBuffer::Take(std::size_t size) {
    if (size > capacity_) {
        // Address space is cheap and a page costs only once it is touched: growing well ahead
        // means the buffer rarely moves, and a buffer that stays put does not fault in fresh
        // pages for the same bytes again.
        // Nothing changes until the memory is had: a buffer that could not grow stays as it was.
        const std::size_t capacity = 2 * std::bit_ceil(size);
        const std::align_val_t alignment{capacity >= kHugePage ? kHugePage : 64};
        MemoryCharge charge(*memory_);
        charge.Add(size);
        bytes_ = {static_cast<std::uint8_t*>(::operator new[](capacity, alignment)),
                  Release{alignment}};
        charge_ = std::move(charge);
        capacity_ = capacity;
        advised_ = 0;
        used_ = size;
    } else if (size > used_) {
        charge_.Add(size - used_);
        used_ = size;
    }
    AdviseFilledHugePages(size);
    return {bytes_.get(), size};
}

void ByteBuffer::AdviseFilledHugePages(std::size_t size) {
    // A buffer of megabytes in huge pages costs one fault per 2 MiB on first touch instead of one
    // per 4 KiB, a noticeable part of a search of a few thousand documents. Only the huge pages
    // the bytes asked for fill at least half: a huge page is cleared whole on first touch, and a
    // fresh one costs far more where the system runs in a virtual machine that handed its free
    // memory back to the host, which dozens of examiners on a file share would each meet.
    // Never past the whole huge pages the buffer holds: bytes taken later than its growth may
    // fill it up to its end, and one smaller than a huge page is not aligned to one.
    const std::size_t filled =
        std::min(capacity_ / kHugePage * kHugePage, (size + kHugePage / 2) / kHugePage * kHugePage);
    if (filled > advised_) {
        memory_->AdviseLargeBuffer(bytes_.get() + advised_, filled - advised_);
        advised_ = filled;
    }
}

}  // namespace kalvor::cfb
