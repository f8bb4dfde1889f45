#pragma once

#include <filesystem>

#include "scan/document_format.h"
#include "scan/search_sink.h"

namespace kalvor::scan {

// Searches `base` (a walk base) examining each document as the walk finds it, one after another,
// on the calling thread. `include`: documents examined though they cannot be held against others.
SearchProgress SearchOneByOne(const std::filesystem::path& base, const DocumentTypes& types,
                              const DocumentExaminer& examiner, SearchSink& sink,
                              platform::IncludedAccess include);

}  // namespace kalvor::scan
