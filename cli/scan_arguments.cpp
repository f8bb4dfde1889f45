#include "cli/scan_arguments.h"

#include <charconv>
#include <string_view>
#include <vector>

#include "platform/path_encoding.h"
#include "scan/included_access.h"

namespace kalvor::cli {

namespace {

constexpr unsigned kMaxJobs = 1024;

std::optional<unsigned> ParseJobs(std::string_view text) {
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) {
        return std::nullopt;
    }
    return jobs;
}

std::optional<OutputFormat> ParseFormat(std::string_view text) {
    if (text == "text") {
        return OutputFormat::Text;
    }
    if (text == "json") {
        return OutputFormat::Json;
    }
    if (text == "csv") {
        return OutputFormat::Csv;
    }
    return std::nullopt;
}

// Whether args[i] is the option `name`. If so, `value` gets its value, given as "--name VALUE"
// (taking the next argument) or as "--name=VALUE", or nothing when the value is missing.
bool TakeOption(std::span<const std::string> args, std::size_t& i, std::string_view name,
                std::optional<std::string_view>& value) {
    const std::string_view arg = args[i];
    value.reset();
    if (arg == name) {
        if (i + 1 < args.size()) {
            value = args[++i];
        }
        return true;
    }
    if (arg.starts_with(name) && arg.substr(name.size()).starts_with("=")) {
        value = arg.substr(name.size() + 1);
        return true;
    }
    return false;
}

// The types this build can examine, as --types names them.
std::string KnownTypes() {
    std::string names;
    for (const std::string_view name : scan::DocumentTypes::Known()) {
        if (!names.empty()) {
            names += ',';
        }
        names += name;
    }
    return names;
}

// Takes one option that is not a plain switch; on a usage error returns what is wrong.
std::optional<std::string> ParseValueOption(std::span<const std::string> args, std::size_t& i,
                                            ScanArguments& parsed) {
    std::optional<std::string_view> value;
    if (TakeOption(args, i, "--jobs", value)) {
        if (!value.has_value()) {
            return "--jobs needs a number";
        }
        const std::optional<unsigned> jobs = ParseJobs(*value);
        if (!jobs.has_value()) {
            return "--jobs takes a whole number from 1 to " + std::to_string(kMaxJobs);
        }
        parsed.jobs = *jobs;
        parsed.examinersWhileWaiting = 0;
        return std::nullopt;
    }
    if (TakeOption(args, i, "--types", value)) {
        std::string unknown;
        const std::optional<scan::DocumentTypes> types =
            value.has_value() ? scan::DocumentTypes::Parse(*value, &unknown) : std::nullopt;
        if (!types.has_value()) {
            return unknown.empty()
                       ? "--types takes all or a comma-separated list of " + KnownTypes()
                       : "--types: " + unknown + " is not a type this build reads (" +
                             KnownTypes() + ")";
        }
        parsed.types = *types;
        return std::nullopt;
    }
    if (TakeOption(args, i, "--match", value)) {
        if (value == "default" || value == "wide") {
            parsed.match = value == "wide" ? scan::marking::MatchRule::Wide
                                           : scan::marking::MatchRule::Default;
            return std::nullopt;
        }
        return "--match takes default or wide";
    }
    if (TakeOption(args, i, "--include", value)) {
        const std::optional<platform::IncludedAccess> include =
            value.has_value() ? scan::ParseIncludedAccess(*value) : std::nullopt;
        if (!include.has_value()) {
            return "--include takes read-only, in-use, both comma-separated, or all";
        }
        parsed.include = *include;
        return std::nullopt;
    }
    if (TakeOption(args, i, "--format", value)) {
        const std::optional<OutputFormat> format =
            value.has_value() ? ParseFormat(*value) : std::nullopt;
        if (!format.has_value()) {
            return "--format takes text, json or csv";
        }
        parsed.format = *format;
        return std::nullopt;
    }
    return "unknown option " + args[i];
}

// The plain switches: where `arg` is one, the flag it sets.
bool* SwitchOf(std::string_view arg, ScanArguments& parsed) {
    if (arg == "--help") {
        return &parsed.help;
    }
    if (arg == "--version") {
        return &parsed.version;
    }
    if (arg == "--not-examined") {
        return &parsed.listNotExamined;
    }
    if (arg == "--progress") {
        return &parsed.forceProgress;
    }
    if (arg == "--quiet") {
        return &parsed.quiet;
    }
    if (arg == "--evidence") {
        return &parsed.evidence;
    }
    return nullptr;
}

}  // namespace

const std::string_view kUsage =
    "Usage: kalvor-scan [--not-examined] [--jobs N] [--format text|json|csv] [--progress]\n"
    "                   [--quiet] [--types LIST] [--match default|wide]\n"
    "                   [--include read-only,in-use|all] [--evidence] FOLDER\n";

const std::string_view kHelp =
    "\n"
    "Finds the Word 97-2003 documents (.doc) anywhere below FOLDER that carry one of the\n"
    "classification markings 秘密, 机密 or 绝密, and prints one line for each, in the order the\n"
    "folders are walked. A line holds five fields separated by tabs: number, full path, size in\n"
    "bytes, creation time and modification time (local time, YYYY-MM-DD HH:MM:SS). How many were\n"
    "found is said on standard error.\n"
    "\n"
    "A path is printed as it is unless it holds a byte that would break the line apart or that\n"
    "is not UTF-8: a backslash is printed as \\\\, a tab as \\t, a line feed as \\n, a carriage\n"
    "return as \\r, any other control byte or byte that is not part of UTF-8 as \\xNN (two\n"
    "lower-case hex digits), and the characters U+0085, U+2028 and U+2029, which some line\n"
    "readers take for line breaks, as \\u0085, \\u2028 and \\u2029. Undoing these escapes gives\n"
    "the exact bytes of the file's name.\n"
    "\n"
    "A .doc file is examined only when it is a Word 97-2003 document that we may write and that\n"
    "no other program holds; read-only and locked files are passed over, and how many were\n"
    "passed over is said on standard error, as is how many folders could not be listed (their\n"
    "contents were not searched). Files are only read, never changed, and on Linux opened for\n"
    "reading only. Each folder is searched once, however many links lead to it. --include\n"
    "examines read-only or locked files too, without holding them. A file that changes while\n"
    "it is read is not examined (changed-while-read) unless its marking was read before.\n"
    "\n"
    "Options:\n"
    "  --not-examined  also list, on standard error, every .doc file that could not be examined,\n"
    "                  each with the reason (read-only, locked, not-compound-file, ...), and\n"
    "                  every folder that could not be listed\n"
    "  --jobs N        examine up to N files at once (1 to 1024; default: one per core, and\n"
    "                  32 more once reads wait for a file share or a cold disk)\n"
    "  --format F      text (the default), json or csv:\n"
    "                  json: one JSON object per line (JSON Lines) with the members number,\n"
    "                  path, size, created and modified; a path that is not UTF-8 shows U+FFFD\n"
    "                  in \"path\" and comes exactly, as hex bytes, in \"path_bytes\";\n"
    "                  csv: comma-separated values as RFC 4180 writes them, in UTF-8, under the\n"
    "                  header number,path,size,created,modified,path_escaped; a path that is not\n"
    "                  UTF-8 is escaped as in the text output and has path_escaped 1 (else 0).\n"
    "                  The lines of --not-examined then take the same format.\n"
    "  --types LIST    the document types to search, comma-separated, or all: doc (the\n"
    "                  default), dot and wps (Word 97-2003 binary format, as WPS Writer also\n"
    "                  writes it), and where this build reads them, docx, docm, dotx and dotm\n"
    "                  (Word 2007 and later: the text of the body, headers, footers, footnotes,\n"
    "                  endnotes and comments, within one paragraph)\n"
    "  --match RULE    default: only spaces and tabs may stand between the two characters;\n"
    "                  wide: also the full-width space U+3000 and the no-break space U+00A0, as\n"
    "                  official documents set a level standing alone\n"
    "  --evidence      say why each document was listed: its grade (marking, a classification\n"
    "                  marking where official documents set it; mention, the words elsewhere in\n"
    "                  the text; residue, in the file's bytes only; unknown), the place of its\n"
    "                  strongest hit (body, table, header-footer, footnote, endnote, comment,\n"
    "                  text-box, residue, unknown) and that hit in its context, the marking set\n"
    "                  off as 【marking】 (up to 20 characters of its paragraph on either side):\n"
    "                  text adds these three fields after the five (the context escaped as a\n"
    "                  path is); csv adds grade,place,context before path_escaped; json adds\n"
    "                  \"grade\" and \"hits\", up to 8 objects with grade, place, marking, before\n"
    "                  and after, strongest first. Listed documents are read a second time.\n"
    "  --include LIST  also examine read-only documents (read-only: no write permission, a\n"
    "                  read-only mount or an immutable file) or documents another program\n"
    "                  holds (in-use: a lock or flock; on Windows, open elsewhere), or all;\n"
    "                  they are only read, with no lock of ours, and a file another program\n"
    "                  holds a write lease on is still passed over, since opening it would\n"
    "                  break the lease; in json a row read so has \"access\":\"read-only\" or\n"
    "                  \"in-use\"\n"
    "  --progress      keep a status line on standard error while searching even when it is not\n"
    "                  a terminal (on a terminal it is kept anyway)\n"
    "  --quiet         leave out the summary lines on standard error\n"
    "  --version       show the version and stop\n"
    "  --help          show this text and stop\n"
    "\n"
    "Exit status: 0 when at least one marked document was found, 1 when none was, 2 when the\n"
    "command line is wrong, FOLDER is not a folder that can be read, the output could not be\n"
    "written, or the search stopped early (the documents printed are those found until then);\n"
    "129, 130 or 143 (128 plus the signal) when SIGHUP, SIGINT (Ctrl+C) or SIGTERM stopped it,\n"
    "the documents found until then all printed.\n"
    "\n"
    "More in the manual page: man kalvor-scan\n";

std::optional<std::string> ParseArguments(std::span<const std::string> args,
                                          ScanArguments& parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || !arg.starts_with("-") || arg == "-") {
            if (parsed.folder.has_value()) {
                return "only one FOLDER can be searched";
            }
            parsed.folder = platform::PathFromArgument(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (bool* flag = SwitchOf(arg, parsed)) {
            *flag = true;
        } else if (std::optional<std::string> problem = ParseValueOption(args, i, parsed)) {
            return problem;
        }
    }
    if (!parsed.help && !parsed.version && !parsed.folder.has_value()) {
        return "no FOLDER given";
    }
    return std::nullopt;
}

}  // namespace kalvor::cli
