#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/scan_command.h"

namespace kalvor::cli {

// What one run of kalvor-scan, in-process, gave back.
struct CommandResult {
    int status = -1;
    std::string out;
    std::string err;
};

inline CommandResult RunScan(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunScanCommand(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace kalvor::cli
