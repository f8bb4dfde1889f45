#pragma once

#include <filesystem>

#include "scan/document_format.h"
#include "scan/search_options.h"
#include "scan/search_sink.h"

namespace kalvor::scan {

// Searches `base` (a walk base) with `examiners.jobs` (at least 2) documents examined at once, and
// up to `examiners.whileWaiting` more once reads have had to wait. The sink gets
// exactly the calls, in the same order, that a search examining one document after another makes,
// up to the point where it asks to stop or the search fails; only StopRequested may also be called
// at other times. `include`: documents examined though they cannot be held against others.
SearchProgress SearchInParallel(const std::filesystem::path& base, const DocumentTypes& types,
                                const DocumentExaminer& examiner, SearchSink& sink,
                                ExaminerCount examiners, platform::IncludedAccess include);

}  // namespace kalvor::scan
