#include "scan/marking_detector.h"

#include "cfb/compound_file.h"
#include "scan/examination_memory.h"
#include "scan/formats/word_document.h"

namespace kalvor::scan {

MarkingVerdict CheckMarking(std::filesystem::path path) {
    cfb::RootStreamReader reader(ExaminationMemory());
    return ExamineDocument(path, reader).verdict;
}

}  // namespace kalvor::scan
