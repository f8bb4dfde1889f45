#include "cfb/windowed_file.h"

#include <algorithm>
#include <cstring>

namespace kalvor::cfb {

std::span<const std::uint8_t> WindowedFile::Window::From(std::uint64_t at) const {
    if (at < offset || at - offset >= length) {
        return {};
    }
    const auto skip = static_cast<std::size_t>(at - offset);
    return {bytes + skip, length - skip};
}

std::span<const std::uint8_t> WindowedFile::HeldFrom(std::uint64_t at) const {
    const std::span<const std::uint8_t> held = first_.From(at);
    return held.empty() ? next_.From(at) : held;
}

std::span<const std::uint8_t> WindowedFile::Load(std::uint64_t at) {
    Window& window = firstLoaded_ ? next_ : first_;
    const std::size_t size = firstLoaded_ ? kNextWindow : kFirstWindow;
    firstLoaded_ = true;
    const std::uint64_t fileSize = file_.Size();
    const auto length =
        static_cast<std::size_t>(at < fileSize ? std::min<std::uint64_t>(size, fileSize - at) : 0);
    const std::span<std::uint8_t> bytes = window.buffer->Take(length);
    window.bytes = bytes.data();
    window.offset = at;
    window.length = file_.ReadAt(at, bytes);
    return window.From(at);
}

std::size_t WindowedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        const std::uint64_t at = offset + done;
        std::span<const std::uint8_t> held = HeldFrom(at);
        if (held.empty()) {
            if (out.size() - done >= kNextWindow) {
                return done + file_.ReadAt(at, out.subspan(done));
            }
            held = Load(at);
            if (held.empty()) {
                break;
            }
        }
        const std::size_t count = std::min(held.size(), out.size() - done);
        std::memcpy(out.data() + done, held.data(), count);
        done += count;
    }
    return done;
}

std::span<const std::uint8_t> WindowedFile::Held(std::uint64_t offset, std::size_t length) const {
    for (const Window* window : {&first_, &next_}) {
        const std::span<const std::uint8_t> held = window->From(offset);
        if (held.size() >= length) {
            return held.first(length);
        }
    }
    return {};
}

}  // namespace kalvor::cfb
