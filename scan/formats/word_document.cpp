#include "scan/formats/word_document.h"

#include "scan/marking_detector.h"

namespace kalvor::scan {

Examination WordDocumentFormat::Examine(const FoundDocument& document,
                                        cfb::RootStreamReader& reader) const {
    return ExamineDocument(document.path, reader, document.Listed());
}

}  // namespace kalvor::scan
