#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "scan/folder_search.h"

namespace kalvor::cli {

// Where kalvor-scan runs. Tests put a search of their own in place of the real one.
struct ScanEnvironment {
    bool outputIsTerminal = false;
    bool errorIsTerminal = false;
    scan::FolderSearch search = &scan::SearchFolder;
    // The signal that asked the search to stop, 0 while none has; polled all through the search.
    std::function<int()> stopSignal = [] { return 0; };
};

// Runs `kalvor-scan` with the arguments that follow the program name. Marked documents go to
// `out`, one line each, flushed as each is found; the summary and every complaint go to `err`,
// and so does a status line while searching when `err` is a terminal. Returns the exit status: 0
// when something was found, 1 when nothing was, 2 on a usage error, a FOLDER that cannot be
// searched, output that could not be written or a search that stopped early, and 128 plus the
// signal for a search that a signal stopped.
int RunScanCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                   const ScanEnvironment& environment = {});

}  // namespace kalvor::cli
