#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "cli/report_lines.h"
#include "platform/file_access.h"
#include "scan/document_types.h"
#include "scan/marking_rule.h"
#include "scan/search_options.h"

namespace kalvor::cli {

// What the command line of kalvor-scan asks for.
struct ScanArguments {
    bool help = false;
    bool version = false;
    bool listNotExamined = false;
    bool forceProgress = false;
    bool quiet = false;
    bool evidence = false;
    OutputFormat format = OutputFormat::Text;
    unsigned jobs = 1;
    // None once --jobs sets how many files are examined at once.
    unsigned examinersWhileWaiting = scan::kExaminersWhileWaiting;
    scan::DocumentTypes types{};
    scan::marking::MatchRule match = scan::marking::MatchRule::Default;
    platform::IncludedAccess include{};
    std::optional<std::filesystem::path> folder;
};

// The usage line, and the whole help text that --help prints after it.
extern const std::string_view kUsage;
extern const std::string_view kHelp;

// Fills `parsed`, which holds the defaults; on a usage error returns what is wrong.
std::optional<std::string> ParseArguments(std::span<const std::string> args, ScanArguments& parsed);

}  // namespace kalvor::cli
