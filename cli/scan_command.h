#pragma once

#include <ostream>
#include <span>
#include <string>

namespace kalvor::cli {

// Runs `kalvor-scan` with the arguments that follow the program name. Marked documents go to
// `out`, one tab-separated line each; the summary and every complaint go to `err`. Returns the
// exit status: 0 when something was found, 1 when nothing was, 2 on a usage error or a FOLDER
// that cannot be searched.
int RunScanCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace kalvor::cli
