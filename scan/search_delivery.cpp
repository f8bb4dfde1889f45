#include "scan/search_delivery.h"

#include <utility>

namespace kalvor::scan {

void DeliverExamination(FoundDocument document, Examination examination, SearchSink& sink,
                        SearchProgress& progress) {
    ++progress.documentsExamined;
    switch (examination.verdict) {
        case MarkingVerdict::Marked:
            ++progress.documentsMarked;
            sink.AddResultRow(MakeResultRow(std::move(document), std::move(examination)));
            break;
        case MarkingVerdict::NotExamined:
            ++progress.documentsNotExamined;
            sink.NoteNotExamined(document.path, examination.reason.value());
            break;
        case MarkingVerdict::NotMarked:
            break;
    }
    sink.NoteProgress(progress);
}

}  // namespace kalvor::scan
