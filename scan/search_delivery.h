#pragma once

#include "scan/marking_verdict.h"
#include "scan/search_sink.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

// Hands the examination of one document to the sink (a row when Marked, a note when NotExamined)
// and counts it. Called in walk order, however the documents were examined.
void DeliverExamination(FoundDocument document, Examination examination, SearchSink& sink,
                        SearchProgress& progress);

}  // namespace kalvor::scan
