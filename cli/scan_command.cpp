#include "cli/scan_command.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "cli/report_lines.h"
#include "platform/path_text.h"
#include "scan/folder_search.h"

namespace kalvor::cli {

namespace fs = std::filesystem;

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNoneFound = 1;
constexpr int kExitUsage = 2;

constexpr unsigned kMaxJobs = 1024;
constexpr std::string_view kExtension = ".doc";

constexpr std::string_view kUsage =
    "Usage: kalvor-scan [--not-examined] [--jobs N] [--format text|json] FOLDER\n";

constexpr std::string_view kHelp =
    "\n"
    "Finds the Word 97-2003 documents (.doc) anywhere below FOLDER that carry one of the\n"
    "classification markings 秘密, 机密 or 绝密, and prints one line for each, in the order the\n"
    "folders are walked. A line holds five fields separated by tabs: number, full path, size in\n"
    "bytes, creation time and modification time (local time, YYYY-MM-DD HH:MM:SS). How many were\n"
    "found is said on standard error.\n"
    "\n"
    "A path is printed as it is unless it holds a byte that would break the line apart or that\n"
    "is not UTF-8: a backslash is printed as \\\\, a tab as \\t, a line feed as \\n, a carriage\n"
    "return as \\r, and any other control byte or byte that is not part of UTF-8 as \\xNN (two\n"
    "lower-case hex digits). Undoing these escapes gives the exact bytes of the file's name.\n"
    "\n"
    "A .doc file is examined only when it is a Word 97-2003 document that can be opened for\n"
    "reading and writing and that no other program holds; read-only and locked files are passed\n"
    "over, and how many were passed over is said on standard error, as is how many folders could\n"
    "not be listed (their contents were not searched). Files are only read, never changed.\n"
    "\n"
    "Options:\n"
    "  --not-examined  also list, on standard error, every .doc file that could not be examined,\n"
    "                  each with the reason (read-only, locked, not-compound-file, ...), and "
    "every\n"
    "                  folder that could not be listed\n"
    "  --jobs N        examine up to N files at once (1 to 1024; default: one per core)\n"
    "  --format F      text (the default) or json: one JSON object per line (JSON Lines) with\n"
    "                  the members number, path, size, created and modified; a path that is not\n"
    "                  UTF-8 shows U+FFFD in \"path\" and comes exactly, as hex bytes, in\n"
    "                  \"path_bytes\". The lines of --not-examined are then JSON objects too,\n"
    "                  with \"kind\" \"not-examined\" (and \"reason\") or \"folder-not-listed\".\n"
    "  --help          show this text and stop\n"
    "\n"
    "Exit status: 0 when at least one marked document was found, 1 when none was, 2 when the\n"
    "command line is wrong or FOLDER is not a folder that can be read.\n";

struct ScanArguments {
    bool help = false;
    bool listNotExamined = false;
    OutputFormat format = OutputFormat::Text;
    unsigned jobs = scan::DefaultJobs();
    std::optional<fs::path> folder;
};

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
        return std::nullopt;
    }
    if (TakeOption(args, i, "--format", value)) {
        const std::optional<OutputFormat> format =
            value.has_value() ? ParseFormat(*value) : std::nullopt;
        if (!format.has_value()) {
            return "--format takes text or json";
        }
        parsed.format = *format;
        return std::nullopt;
    }
    return "unknown option " + args[i];
}

// Fills `parsed`; on a usage error returns what is wrong.
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
        } else if (arg == "--help") {
            parsed.help = true;
        } else if (arg == "--not-examined") {
            parsed.listNotExamined = true;
        } else if (std::optional<std::string> problem = ParseValueOption(args, i, parsed)) {
            return problem;
        }
    }
    if (!parsed.help && !parsed.folder.has_value()) {
        return "no FOLDER given";
    }
    return std::nullopt;
}

// Prints each marked document as it is found, and each document not examined and each folder not
// listed when asked to; counts the folders not listed.
class PrintingSink final : public scan::SearchSink {
  public:
    PrintingSink(std::ostream& out, std::ostream& err, const ScanArguments& arguments)
        : out_(out),
          err_(err),
          listNotExamined_(arguments.listNotExamined),
          format_(arguments.format) {}

    void AddResultRow(const scan::ResultRow& row) override {
        out_ << RowLine(++rowsPrinted_, row, format_);
    }

    void NoteNotExamined(const fs::path& path, scan::NotExaminedReason reason) override {
        if (listNotExamined_) {
            err_ << NotExaminedLine(path, reason, format_);
        }
    }

    void NoteFolderNotListed(const fs::path& folder) override {
        ++foldersNotListed_;
        if (listNotExamined_) {
            err_ << FolderNotListedLine(folder, format_);
        }
    }

    std::size_t FoldersNotListed() const { return foldersNotListed_; }

  private:
    std::ostream& out_;
    std::ostream& err_;
    bool listNotExamined_;
    OutputFormat format_;
    std::size_t rowsPrinted_ = 0;
    std::size_t foldersNotListed_ = 0;
};

int UsageError(std::ostream& err, std::string_view problem) {
    err << "kalvor-scan: " << problem << '\n' << kUsage << "Try 'kalvor-scan --help' for more.\n";
    return kExitUsage;
}

int FolderError(std::ostream& err, const fs::path& folder, std::string_view problem) {
    err << "kalvor-scan: " << platform::PathBytes(folder) << ": " << problem << '\n';
    return kExitUsage;
}

}  // namespace

int RunScanCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    ScanArguments parsed;
    if (const std::optional<std::string> problem = ParseArguments(args, parsed)) {
        return UsageError(err, *problem);
    }
    if (parsed.help) {
        out << kUsage << kHelp;
        return kExitFound;
    }
    const fs::path& folder = *parsed.folder;
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::none) {
        return FolderError(err, folder, "cannot be read: " + error.message());
    }
    if (!fs::exists(status)) {
        return FolderError(err, folder, "no such folder");
    }
    if (!fs::is_directory(status)) {
        return FolderError(err, folder, "not a folder");
    }

    PrintingSink sink(out, err, parsed);
    const scan::SearchProgress progress =
        scan::SearchFolder(folder, kExtension, sink, {parsed.jobs});
    // Reporting "none found" for a folder that could not even be read would pass for a clean
    // result.
    if (progress.foldersListed == 0) {
        return FolderError(err, folder, "cannot be read");
    }
    err << "一共找到 " << progress.documentsMarked << " 个符合要求的文件！\n";
    if (progress.documentsNotExamined > 0) {
        err << "另有 " << progress.documentsNotExamined
            << " 个 .doc 文件无法检查（只读、被锁定、不是 Word 97-2003 文档等）。\n";
    }
    if (sink.FoldersNotListed() > 0) {
        err << "另有 " << sink.FoldersNotListed() << " 个文件夹无法打开，其中的内容没有搜索。\n";
    }
    return progress.documentsMarked > 0 ? kExitFound : kExitNoneFound;
}

}  // namespace kalvor::cli
