#include "cli/progress_line.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "platform/utf8.h"

namespace kalvor::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr Clock::duration kRedrawInterval = std::chrono::milliseconds(200);

// Terminals give the Chinese characters of the line two columns each, ASCII one.
std::size_t ColumnsOf(std::string_view text) {
    std::size_t columns = 0;
    while (!text.empty()) {
        const std::optional<platform::DecodedCharacter> decoded = platform::DecodeUtf8(text);
        const std::size_t length = decoded.has_value() ? decoded->length : 1;
        columns += length == 1 ? 1 : 2;
        text.remove_prefix(length);
    }
    return columns;
}

std::string MinutesAndSeconds(std::chrono::seconds elapsed) {
    const long long seconds = elapsed.count();
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%lld:%02lld", seconds / 60, seconds % 60);
    return text.data();
}

}  // namespace

std::string_view DocumentsCountedAs(const scan::DocumentTypes& types) {
    return types == scan::DocumentTypes() ? ".doc 文件" : "文件";
}

std::string ProgressText(const scan::SearchProgress& progress, std::chrono::seconds elapsed,
                         std::string_view documents) {
    return "已搜索 " + std::to_string(progress.foldersListed) + " 个文件夹，检查 " +
           std::to_string(progress.documentsExamined) + " 个" +
           (documents.starts_with('.') ? " " : "") + std::string(documents) + "，找到 " +
           std::to_string(progress.documentsMarked) + " 个，用时 " + MinutesAndSeconds(elapsed);
}

ProgressLine::ProgressLine(std::ostream& terminal, bool shown, std::string_view documents)
    : terminal_(terminal), shown_(shown), documents_(documents), start_(Clock::now()) {}

void ProgressLine::Show(const scan::SearchProgress& progress) {
    const Clock::time_point now = Clock::now();
    if (!shown_ || (lastDrawn_.has_value() && now - *lastDrawn_ < kRedrawInterval)) {
        return;
    }
    lastDrawn_ = now;
    Draw(ProgressText(progress, std::chrono::duration_cast<std::chrono::seconds>(now - start_),
                      documents_));
}

void ProgressLine::Erase() {
    if (width_ > 0) {
        terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }
}

void ProgressLine::Draw(const std::string& text) {
    const std::size_t width = ColumnsOf(text);
    // Spaces cover what is left of a longer line drawn before.
    terminal_ << '\r' << text << std::string(width_ - std::min(width_, width), ' ') << std::flush;
    width_ = std::max(width_, width);
}

}  // namespace kalvor::cli
