#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/compound_file.h"
#include "platform/directory_listing.h"
#include "scan/marking_verdict.h"
#include "scan/result_row.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

struct SearchProgress {
    std::uint64_t foldersListed = 0;
    std::uint64_t documentsExamined = 0;  // files that matched the extension and were checked
    std::uint64_t documentsMarked = 0;
    std::uint64_t documentsNotExamined = 0;
};

// Where a walk delivers what it finds. Calls come from the thread that runs SearchFolder, in walk
// order.
class SearchSink {
  public:
    virtual ~SearchSink() = default;

    // Every document with the verdict Marked, in walk order.
    virtual void AddResultRow(const ResultRow& row) = 0;

    // Every matching file with the verdict NotExamined, in walk order.
    virtual void NoteNotExamined(const std::filesystem::path& /*path*/,
                                 NotExaminedReason /*reason*/) {}

    // Every folder that could not be listed, in walk order; it was skipped with all below it.
    virtual void NoteFolderNotListed(const std::filesystem::path& /*folder*/) {}

    // Called now and then during the walk (at least once per folder).
    virtual void NoteProgress(const SearchProgress& /*progress*/) {}

    // The search could not go on (a worker failed in a way no single document explains); it ends
    // after what was already told, and this is the last call. `what` is the failure's own text.
    virtual void NoteSearchFailed(const std::string& /*what*/) {}

    // Polled between files; true ends the walk early, keeping what was found.
    virtual bool StopRequested() { return false; }
};

// One worker per core: examining documents is mostly waiting for the disk and scanning memory.
unsigned DefaultJobs();

// How a search examines one document it found, with a reader whose memory it keeps.
using DocumentExaminer = Examination (*)(const FoundDocument& document,
                                         platform::RootStreamReader& reader);

// The marking detector on a document the walk found.
Examination ExamineFoundDocument(const FoundDocument& document, platform::RootStreamReader& reader);

struct SearchOptions {
    unsigned jobs = 1;  // files examined at once; 1 examines strictly one after another
    DocumentExaminer examine = ExamineFoundDocument;
};

// Walks `folder` depth first, entering each subfolder where its entry comes up in the listing,
// and checks every file whose name ends, from its last ".", in `extension` (ASCII case ignored).
// A folder that cannot be listed is skipped; a folder already being walked above is never entered
// again through a link. Returns the final progress counts. Should the walk or an examination fail
// anyway, the search ends there: the sink has heard everything found before, in walk order, and
// hears NoteSearchFailed last. Only what the sink itself throws reaches the caller.
SearchProgress SearchFolder(const std::filesystem::path& folder, std::string_view extension,
                            SearchSink& sink, const SearchOptions& options = {});

// True when `name` ends, from its last ".", in `extension`, ASCII case ignored.
bool MatchesExtension(platform::NativeName name, std::string_view extension);

}  // namespace kalvor::scan
