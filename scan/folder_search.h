#pragma once

#include <filesystem>
#include <functional>

#include "scan/search_options.h"
#include "scan/search_sink.h"

namespace kalvor::scan {

// Walks `folder` depth first, entering each subfolder where its entry comes up in the listing,
// and checks every file whose name ends, from its last ".", in one of `options.types` (ASCII case
// ignored), as the format of its type does (or as `options.examiner` does). A folder that
// cannot be listed is skipped; a folder already being walked above is never entered again
// through a link. Returns the final progress counts. Should the walk or an examination fail
// anyway, the search ends there: the sink has heard everything found before, in walk order, and
// hears NoteSearchFailed last. Only what the sink itself throws reaches the caller.
SearchProgress SearchFolder(const std::filesystem::path& folder, SearchSink& sink,
                            const SearchOptions& options = {});

// A search of a folder as SearchFolder makes it: what the command and the window run, and what
// their tests put in its place.
using FolderSearch = std::function<SearchProgress(const std::filesystem::path& folder,
                                                  SearchSink& sink, const SearchOptions& options)>;

}  // namespace kalvor::scan
