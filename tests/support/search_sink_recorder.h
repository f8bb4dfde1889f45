#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "scan/folder_search.h"

namespace kalvor::scan {

// Keeps everything a search delivers; can ask for a stop once it holds enough rows.
class SearchSinkRecorder final : public SearchSink {
  public:
    void AddResultRow(const ResultRow& row) override { rows.push_back(row); }
    void NoteNotExamined(const std::filesystem::path& path, NotExaminedReason reason) override {
        notExamined.emplace_back(path, reason);
    }
    void NoteFolderNotListed(const std::filesystem::path& folder,
                             FolderNotListedReason reason) override {
        foldersNotListed.emplace_back(folder, reason);
    }
    void NoteProgress(const SearchProgress& progress) override {
        ++progressNotes;
        foldersListed = progress.foldersListed;
    }
    bool StopRequested() override {
        return rows.size() >= stopAfterRows || foldersListed >= stopAfterFolders;
    }

    // Paths relative to `root` with "/" between their parts, in the order they were delivered.
    std::vector<std::string> RowPaths(const std::filesystem::path& root) const {
        std::vector<std::string> paths;
        for (const ResultRow& row : rows) {
            paths.push_back(row.path.lexically_relative(root).generic_string());
        }
        return paths;
    }
    std::vector<std::string> NotExaminedPaths(const std::filesystem::path& root) const {
        std::vector<std::string> paths;
        for (const auto& [path, reason] : notExamined) {
            paths.push_back(path.lexically_relative(root).generic_string());
        }
        return paths;
    }

    std::vector<ResultRow> rows;
    std::vector<std::pair<std::filesystem::path, NotExaminedReason>> notExamined;
    std::vector<std::pair<std::filesystem::path, FolderNotListedReason>> foldersNotListed;
    std::size_t progressNotes = 0;
    std::uint64_t foldersListed = 0;
    std::size_t stopAfterRows = std::numeric_limits<std::size_t>::max();
    std::uint64_t stopAfterFolders = std::numeric_limits<std::uint64_t>::max();
};

}  // namespace kalvor::scan
