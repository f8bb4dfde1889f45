#include "cli/scan_command.h"

#include <cerrno>
#include <memory>
#include <optional>
#include <system_error>

#include "cli/progress_line.h"
#include "cli/scan_arguments.h"
#include "kalvor/version.h"
#include "platform/path_encoding.h"

namespace kalvor::cli {

namespace fs = std::filesystem;

namespace {

constexpr int kExitFound = 0;
constexpr int kExitNoneFound = 1;
constexpr int kExitTrouble = 2;
// Plus the signal, as a shell reports a command that a signal ended.
constexpr int kExitSignalled = 128;

// Remembers why `out` first failed; errno still holds the reason right after the failed write.
class OutputCheck {
  public:
    explicit OutputCheck(std::ostream& out) : out_(out) {}

    // False once a write to `out` has failed.
    bool Healthy() {
        if (!out_ && !error_.has_value()) {
            error_ = errno != 0 ? errno : EIO;
        }
        return !error_.has_value();
    }

    std::string Reason() const { return std::generic_category().message(error_.value_or(EIO)); }

  private:
    std::ostream& out_;
    std::optional<int> error_;
};

// Prints each marked document as it is found, and each document not examined and each folder not
// listed when asked to; counts the folders not listed, keeps the status line and notes whether
// the output failed, the search stopped early or a signal stopped it. A failed output ends the
// search: nothing more could be told.
class PrintingSink final : public scan::SearchSink {
  public:
    PrintingSink(std::ostream& out, std::ostream& err, OutputCheck& output,
                 report::ReportWriter& writer, const ScanArguments& arguments,
                 const ScanEnvironment& environment)
        : out_(out),
          err_(err),
          output_(output),
          writer_(writer),
          progressLine_(err, arguments.forceProgress || environment.errorIsTerminal,
                        DocumentsCountedAs(arguments.types)),
          listNotExamined_(arguments.listNotExamined),
          rowsShareTheTerminal_(environment.outputIsTerminal),
          stopSignal_(environment.stopSignal) {}

    void AddResultRow(const scan::ResultRow& row) override {
        if (rowsShareTheTerminal_) {
            progressLine_.Erase();
        }
        // Held in a buffer, a row would reach a reader that stops at the first only once the whole
        // tree is walked, and would be lost to a signal that ends the program.
        out_ << writer_.Row(rowsPrinted_++, row) << std::flush;
        output_.Healthy();
    }

    void NoteNotExamined(const fs::path& path, scan::NotExaminedReason reason) override {
        if (listNotExamined_) {
            progressLine_.Erase();
            err_ << writer_.NotExamined(path, reason);
        }
    }

    void NoteFolderNotListed(const fs::path& folder, scan::FolderNotListedReason reason) override {
        ++foldersNotListed_;
        if (listNotExamined_) {
            progressLine_.Erase();
            err_ << writer_.FolderNotListed(folder, reason);
        }
    }

    void NoteProgress(const scan::SearchProgress& progress) override {
        progressLine_.Show(progress);
    }

    void NoteSearchFailed(const std::string& what) override { searchFailure_ = what; }

    // A signal counts once the search has been asked to stop for it: everything told before is
    // what it found until then, and one that comes after the last question stops nothing.
    bool StopRequested() override {
        if (!output_.Healthy()) {
            return true;
        }
        if (stoppedBy_ == 0) {
            stoppedBy_ = stopSignal_();
        }
        return stoppedBy_ != 0;
    }

    std::size_t FoldersNotListed() const { return foldersNotListed_; }
    const std::optional<std::string>& SearchFailure() const { return searchFailure_; }
    // The signal that stopped the search, 0 when none did.
    int StoppedBy() const { return stoppedBy_; }
    void EraseProgress() { progressLine_.Erase(); }

  private:
    std::ostream& out_;
    std::ostream& err_;
    OutputCheck& output_;
    report::ReportWriter& writer_;
    ProgressLine progressLine_;
    bool listNotExamined_;
    bool rowsShareTheTerminal_;
    const std::function<int()>& stopSignal_;
    int stoppedBy_ = 0;
    std::size_t rowsPrinted_ = 0;
    std::size_t foldersNotListed_ = 0;
    std::optional<std::string> searchFailure_;
};

int UsageError(std::ostream& err, std::string_view problem) {
    err << "kalvor-scan: " << problem << '\n' << kUsage << "Try 'kalvor-scan --help' for more.\n";
    return kExitTrouble;
}

int FolderError(std::ostream& err, const fs::path& folder, std::string_view problem) {
    err << "kalvor-scan: " << platform::PathBytes(folder) << ": " << problem << '\n';
    return kExitTrouble;
}

// `status`, unless what was written to `out` did not all arrive: a report that lost lines must
// not pass for a complete one.
int CheckedStatus(std::ostream& out, std::ostream& err, OutputCheck& output, int status) {
    out.flush();
    if (output.Healthy()) {
        return status;
    }
    err << "kalvor-scan: cannot write to standard output: " << output.Reason() << '\n';
    return kExitTrouble;
}

void PrintSummary(std::ostream& err, const scan::SearchProgress& progress, const PrintingSink& sink,
                  const scan::DocumentTypes& types) {
    // "一共" (in all) would claim a complete search; a stopped one says so, as the window does.
    if (sink.StoppedBy() != 0) {
        err << "搜索已取消，已找到 " << progress.documentsMarked << " 个符合要求的文件。\n";
    } else {
        err << "一共找到 " << progress.documentsMarked << " 个符合要求的文件！\n";
    }
    if (progress.documentsNotExamined > 0) {
        err << "另有 " << progress.documentsNotExamined
            << (types == scan::DocumentTypes()
                    ? " 个 .doc 文件无法检查（只读、被锁定、不是 Word 97-2003 文档等）。\n"
                    : " 个文件无法检查（只读、被锁定、格式不符或已损坏等）。\n");
    }
    if (sink.FoldersNotListed() > 0) {
        err << "另有 " << sink.FoldersNotListed() << " 个文件夹无法打开，其中的内容没有搜索。\n";
    }
}

int Search(const ScanArguments& arguments, std::ostream& out, std::ostream& err,
           const ScanEnvironment& environment) {
    const fs::path& folder = *arguments.folder;
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

    OutputCheck output(out);
    const std::unique_ptr<report::ReportWriter> writer =
        WriterFor(arguments.format, arguments.evidence);
    PrintingSink sink(out, err, output, *writer, arguments, environment);
    out << writer->Start();
    const scan::SearchProgress progress =
        environment.search(folder, sink,
                           {.jobs = arguments.jobs,
                            .types = arguments.types,
                            .match = arguments.match,
                            .evidence = arguments.evidence,
                            .include = arguments.include,
                            .examinersWhileWaiting = arguments.examinersWhileWaiting});
    sink.EraseProgress();
    if (CheckedStatus(out, err, output, kExitFound) != kExitFound) {
        return kExitTrouble;
    }
    if (sink.SearchFailure().has_value()) {
        err << "kalvor-scan: the search stopped early: " << *sink.SearchFailure()
            << "; what was printed is what it found until then\n";
        return kExitTrouble;
    }
    // Reporting "none found" for a folder that could not even be read would pass for a clean
    // result.
    if (progress.foldersListed == 0) {
        return FolderError(err, folder, "cannot be read");
    }
    if (!arguments.quiet) {
        PrintSummary(err, progress, sink, arguments.types);
    }
    if (sink.StoppedBy() != 0) {
        return kExitSignalled + sink.StoppedBy();
    }
    return progress.documentsMarked > 0 ? kExitFound : kExitNoneFound;
}

}  // namespace

int RunScanCommand(std::span<const std::string> args, std::ostream& out, std::ostream& err,
                   const ScanEnvironment& environment) {
    ScanArguments arguments;
    arguments.jobs = scan::DefaultJobs();
    if (const std::optional<std::string> problem = ParseArguments(args, arguments)) {
        return UsageError(err, *problem);
    }
    if (arguments.help || arguments.version) {
        OutputCheck output(out);
        if (arguments.help) {
            out << kUsage << kHelp;
        } else {
            out << "kalvor-scan " << KALVOR_VERSION << '\n';
        }
        return CheckedStatus(out, err, output, kExitFound);
    }
    return Search(arguments, out, err, environment);
}

}  // namespace kalvor::cli
