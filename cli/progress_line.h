#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "scan/folder_search.h"

namespace kalvor::cli {

// What examined documents are counted as: ".doc 文件", as it always said, while only .doc files
// are searched; "文件" once other types are searched too.
std::string_view DocumentsCountedAs(const scan::DocumentTypes& types);

// What the status line says: folders walked, documents examined and found, time taken.
std::string ProgressText(const scan::SearchProgress& progress, std::chrono::seconds elapsed,
                         std::string_view documents);

// The one status line kept on a terminal while a search runs, redrawn a few times a second in
// place. It is drawn with a carriage return and blanked with spaces, which every terminal and
// console understands; the text is short enough for a line of 80 columns.
class ProgressLine {
  public:
    // Draws nothing at all unless `shown`; counts examined documents as `documents`.
    ProgressLine(std::ostream& terminal, bool shown, std::string_view documents);

    // Draws the line at once the first time, then again whenever it was last drawn long enough
    // ago.
    void Show(const scan::SearchProgress& progress);

    // Blanks the line and puts the cursor at its start, so that other output begins on a clean
    // line; the next Show draws it again.
    void Erase();

  private:
    void Draw(const std::string& text);

    std::ostream& terminal_;
    bool shown_;
    std::string_view documents_;
    std::chrono::steady_clock::time_point start_;
    std::optional<std::chrono::steady_clock::time_point> lastDrawn_;
    std::size_t width_ = 0;  // columns the line on screen takes, 0 when none is drawn
};

}  // namespace kalvor::cli
