#include "scan/search_failure.h"

namespace kalvor::scan {

void WatchedSink::AddResultRow(const ResultRow& row) {
    Watch([&] { sink_.AddResultRow(row); });
}

void WatchedSink::NoteNotExamined(const std::filesystem::path& path, NotExaminedReason reason) {
    Watch([&] { sink_.NoteNotExamined(path, reason); });
}

void WatchedSink::NoteFolderNotListed(const std::filesystem::path& folder,
                                      FolderNotListedReason reason) {
    Watch([&] { sink_.NoteFolderNotListed(folder, reason); });
}

void WatchedSink::NoteProgress(const SearchProgress& progress) {
    Watch([&] { sink_.NoteProgress(progress); });
}

void WatchedSink::NoteSearchFailed(const std::string& what) {
    Watch([&] { sink_.NoteSearchFailed(what); });
}

bool WatchedSink::StopRequested() {
    return Watch([&] { return sink_.StopRequested(); });
}

std::string DescribeFailure(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "unknown failure";
    }
}

}  // namespace kalvor::scan
