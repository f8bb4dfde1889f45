#include "scan/formats/word_document.h"

#include "scan/document_bytes.h"
#include "scan/document_open.h"
#include "scan/formats/word_fib.h"
#include "scan/mark_pair.h"
#include "scan/worker_memory.h"

namespace kalvor::scan {

namespace {

NotExaminedReason ReasonForReadResult(cfb::StreamReadResult result) {
    switch (result) {
        case cfb::StreamReadResult::Read:
            return NotExaminedReason::None;
        case cfb::StreamReadResult::NotCompoundFile:
            return NotExaminedReason::NotCompoundFile;
        case cfb::StreamReadResult::StreamNotFound:
            return NotExaminedReason::NoWordDocumentStream;
        case cfb::StreamReadResult::StreamTooLarge:
            return NotExaminedReason::StreamTooLarge;
        case cfb::StreamReadResult::StructureTooLarge:
            return NotExaminedReason::StructureTooLarge;
    }
    return NotExaminedReason::NotCompoundFile;
}

Examination VerdictOnWordDocumentStream(const cfb::StreamView& read, marking::MatchRule rule) {
    const NotExaminedReason reason = ReasonForReadResult(read.status.result);
    if (reason != NotExaminedReason::None) {
        return NotExamined(reason);
    }
    return CheckStreamImage(read.image.data(), static_cast<std::uint32_t>(read.image.size()), rule);
}

}  // namespace

Examination CheckStreamImage(const std::uint8_t* image, std::uint32_t length,
                             marking::MatchRule rule) {
    if (length <= marking::kVersionByteOffset) {
        return NotExamined(NotExaminedReason::TooShort);
    }
    if (!marking::IsAcceptedVersion(image[marking::kVersionByteOffset])) {
        return NotExamined(NotExaminedReason::UnsupportedVersion);
    }
    if (FindMarking(image, length, rule).has_value()) {
        return {MarkingVerdict::Marked, NotExaminedReason::None};
    }
    // The marking was looked for in cipher text, which says nothing of the document's own; a
    // marking found there all the same still lists it, as the raw rule always has.
    if (word::IsEncrypted(image, length)) {
        return NotExamined(NotExaminedReason::Encrypted);
    }
    return {MarkingVerdict::NotMarked, NotExaminedReason::None};
}

Examination ExamineWordDocumentStream(cfb::ByteSource& file, cfb::RootStreamReader& reader,
                                      marking::MatchRule rule) {
    return VerdictOnWordDocumentStream(reader.Read(file, u"WordDocument"), rule);
}

Examination ExamineDocument(const std::filesystem::path& path, cfb::RootStreamReader& reader,
                            platform::ListedAs listed, marking::MatchRule rule,
                            platform::DiskReadSigns* signs, platform::IncludedAccess include) {
    const Examination examination = ExaminedWithinMemory([&] {
        OpenedDocument opened = OpenDocument(path, listed, signs, include);
        if (opened.file == nullptr) {
            return NotExamined(opened.reason);
        }
        DocumentBytes bytes(*opened.file);
        const cfb::StreamView read = reader.Read(bytes, u"WordDocument");
        const bool changed = opened.file->ChangedWhileRead();
        const platform::FileAccess access = opened.file->Access();
        // The file is held, exclusively and locked, only while it is read.
        opened.file.reset();
        return AsRead(VerdictOnWordDocumentStream(read, rule), changed, access);
    });
    ReleaseMemoryAfter(examination, reader);
    return examination;
}

Examination WordDocumentFormat::Examine(const FoundDocument& document, WorkerMemory& memory,
                                        marking::MatchRule rule) const {
    Examination examination = ExaminedWithinBudget(*memory.budget, [&] {
        return ExamineDocument(document.path, memory.compound, document.Listed(), rule,
                               &memory.diskReads, document.include);
    });
    if (examination.reason == NotExaminedReason::NoWordDocumentStream) {
        examination.reason = withoutStream_;
    }
    return examination;
}

}  // namespace kalvor::scan
