#include "scan/formats/word_document.h"

#include "scan/document_open.h"
#include "scan/marking_detector.h"

namespace kalvor::scan {

Examination WordDocumentFormat::Examine(const FoundDocument& document, WorkerMemory& memory,
                                        marking::MatchRule rule) const {
    Examination examination = ExaminedWithinBudget(*memory.budget, [&] {
        return ExamineDocument(document.path, memory.compound, document.Listed(), rule,
                               &memory.diskReads);
    });
    if (examination.reason == NotExaminedReason::NoWordDocumentStream) {
        examination.reason = withoutStream_;
    }
    return examination;
}

}  // namespace kalvor::scan
