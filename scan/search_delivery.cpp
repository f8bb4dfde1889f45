#include "scan/search_delivery.h"

#include <utility>

namespace kalvor::scan {

void DeliverExamination(FoundDocument document, const Examination& examination, SearchSink& sink,
                        SearchProgress& progress) {
    ++progress.documentsExamined;
    switch (examination.verdict) {
        case MarkingVerdict::Marked:
            ++progress.documentsMarked;
            {
                ResultRow row = MakeResultRow(std::move(document.path), document.entry,
                                              document.folderIdentity);
                row.access = examination.access;
                sink.AddResultRow(row);
                break;
            }
        case MarkingVerdict::NotExamined:
            ++progress.documentsNotExamined;
            sink.NoteNotExamined(document.path, examination.reason);
            break;
        case MarkingVerdict::NotMarked:
            break;
    }
    sink.NoteProgress(progress);
}

}  // namespace kalvor::scan
