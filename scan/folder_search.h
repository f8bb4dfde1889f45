#pragma once

#include <filesystem>
#include <string_view>

#include "scan/extension_match.h"
#include "scan/search_options.h"
#include "scan/search_sink.h"

namespace kalvor::scan {

// Walks `folder` depth first, entering each subfolder where its entry comes up in the listing,
// and checks every file whose name ends, from its last ".", in `extension` (ASCII case ignored),
// as its format does (`options.format`, or the registered format of `extension`). A folder that
// cannot be listed is skipped; a folder already being walked above is never entered again
// through a link. Returns the final progress counts. Should the walk or an examination fail
// anyway, the search ends there: the sink has heard everything found before, in walk order, and
// hears NoteSearchFailed last. Only what the sink itself throws reaches the caller.
SearchProgress SearchFolder(const std::filesystem::path& folder, std::string_view extension,
                            SearchSink& sink, const SearchOptions& options = {});

}  // namespace kalvor::scan
