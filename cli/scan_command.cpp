#include "cli/scan_command.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

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

constexpr std::string_view kUsage = "Usage: kalvor-scan [--not-examined] [--jobs N] FOLDER\n";

constexpr std::string_view kHelp =
    "\n"
    "Finds the Word 97-2003 documents (.doc) anywhere below FOLDER that carry one of the\n"
    "classification markings 秘密, 机密 or 绝密, and prints one line for each, in the order the\n"
    "folders are walked. A line holds five fields separated by tabs: number, full path, size in\n"
    "bytes, creation time and modification time (local time, YYYY-MM-DD HH:MM:SS). How many were\n"
    "found is said on standard error.\n"
    "\n"
    "A .doc file is examined only when it is a Word 97-2003 document that can be opened for\n"
    "reading and writing and that no other program holds; read-only and locked files are passed\n"
    "over, and how many were passed over is said on standard error. Files are only read, never\n"
    "changed.\n"
    "\n"
    "Options:\n"
    "  --not-examined  also list, on standard error, every .doc file that could not be examined,\n"
    "                  each with the reason (read-only, locked, not-compound-file, ...)\n"
    "  --jobs N        examine up to N files at once (1 to 1024; default: one per core)\n"
    "  --help          show this text and stop\n"
    "\n"
    "Exit status: 0 when at least one marked document was found, 1 when none was, 2 when the\n"
    "command line is wrong or FOLDER is not a folder that can be read.\n";

struct ScanArguments {
    bool help = false;
    bool listNotExamined = false;
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

// Fills `parsed`; on a usage error returns what is wrong.
std::optional<std::string> ParseArguments(std::span<const std::string> args,
                                          ScanArguments& parsed) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        std::optional<std::string_view> jobsText;
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
        } else if (arg == "--jobs") {
            if (i + 1 == args.size()) {
                return "--jobs needs a number";
            }
            jobsText = args[++i];
        } else if (arg.starts_with("--jobs=")) {
            jobsText = arg.substr(arg.find('=') + 1);
        } else {
            return "unknown option " + std::string(arg);
        }
        if (jobsText.has_value()) {
            const std::optional<unsigned> jobs = ParseJobs(*jobsText);
            if (!jobs.has_value()) {
                return "--jobs takes a whole number from 1 to " + std::to_string(kMaxJobs);
            }
            parsed.jobs = *jobs;
        }
    }
    if (!parsed.help && !parsed.folder.has_value()) {
        return "no FOLDER given";
    }
    return std::nullopt;
}

// Prints each marked document as it is found, and each one not examined when asked to.
class PrintingSink final : public scan::SearchSink {
  public:
    PrintingSink(std::ostream& out, std::ostream& err, bool listNotExamined)
        : out_(out), err_(err), listNotExamined_(listNotExamined) {}

    void AddResultRow(const scan::ResultRow& row) override {
        out_ << scan::RowNumberText(rowsPrinted_++) << '\t' << platform::PathBytes(row.path) << '\t'
             << row.sizeText << '\t' << row.creationTimeText << '\t' << row.modificationTimeText
             << '\n';
    }

    void NoteNotExamined(const fs::path& path, scan::NotExaminedReason reason) override {
        if (listNotExamined_) {
            err_ << "not-examined\t" << scan::ReasonToken(reason) << '\t'
                 << platform::PathBytes(path) << '\n';
        }
    }

  private:
    std::ostream& out_;
    std::ostream& err_;
    bool listNotExamined_;
    std::size_t rowsPrinted_ = 0;
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

    PrintingSink sink(out, err, parsed.listNotExamined);
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
    return progress.documentsMarked > 0 ? kExitFound : kExitNoneFound;
}

}  // namespace kalvor::cli
