#include "scan/marking_detector.h"

#include "cfb/compound_file.h"
#include "scan/formats/word_document.h"

namespace kalvor::scan {

MarkingVerdict CheckMarking(std::filesystem::path path) {
    cfb::RootStreamReader reader;
    return ExamineDocument(path, reader).verdict;
}

}  // namespace kalvor::scan
