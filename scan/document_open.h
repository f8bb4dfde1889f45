#pragma once

#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>

#include "platform/exclusive_file.h"
#include "platform/memory_budget.h"
#include "scan/file_refusal.h"
#include "scan/marking_verdict.h"

namespace kalvor::scan {

// A document opened for examination, or why it is passed over.
struct OpenedDocument {
    std::unique_ptr<platform::ExclusiveFile> file;
    FileRefusal refusal = FileRefusal::Unreadable;  // why there is no `file`
};

// Opens a document the way every format opens it: exclusively and locked, refused with the same
// reasons whatever the format. A name the listing could not tell about is never opened. Its reads
// tell `signs` what they meet on the disk, when given.
OpenedDocument OpenDocument(const std::filesystem::path& path, platform::ListedAs listed,
                            platform::DiskReadSigns* signs);

inline Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

// Opens the document as OpenDocument does and examines it with `examine`, which is given the open
// file and may let it go as soon as it has read what it needs. The examination tells which file
// it examined.
template <typename Examine>
Examination ExamineOpenedDocument(const std::filesystem::path& path, platform::ListedAs listed,
                                  platform::DiskReadSigns* signs, Examine&& examine) {
    OpenedDocument opened = OpenDocument(path, listed, signs);
    if (opened.file == nullptr) {
        return NotExamined(opened.refusal);
    }
    const std::optional<platform::FileIdentity> identity = opened.file->Identity();
    Examination examination = examine(opened.file);
    examination.fileIdentity = identity;
    return examination;
}

// What `examine` gives, or OutOfMemory when the memory it asked for could not be had.
template <typename Examine>
Examination ExaminedWithinMemory(Examine&& examine) {
    try {
        return examine();
    } catch (const std::bad_alloc&) {
        return NotExamined(ExaminationLimit::OutOfMemory);
    } catch (const std::length_error&) {
        // A size beyond what a container can hold: memory that cannot be had either.
        return NotExamined(ExaminationLimit::OutOfMemory);
    }
}

// What `examine` (which gives OutOfMemory for memory it cannot have) gives with the memory it
// allocates charged to `budget`. One that could not have its memory, from the budget or from the
// system, runs again alone once the others are done, so what was examined beside a document
// never decides its verdict; only one that cannot have it alone is OutOfMemory.
template <typename Examine>
Examination ExaminedWithinBudget(platform::MemoryBudget& budget, Examine&& examine) {
    {
        const platform::SharedExamination shared(budget);
        const Examination examination = examine();
        if (examination.reason != ExaminationLimit::OutOfMemory) {
            return examination;
        }
    }
    const platform::LoneExamination alone(budget);
    return examine();
}

}  // namespace kalvor::scan
