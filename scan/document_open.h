#pragma once

#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>

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
// tell `signs` what they meet on the disk, when given. Documents of the kinds `include` names are
// read though they cannot be held. Given the folder it lies in held open, it is opened in there.
OpenedDocument OpenDocument(const std::filesystem::path& path, platform::ListedAs listed,
                            platform::DiskReadSigns* signs, platform::IncludedAccess include,
                            const platform::OpenedFolder* folder = nullptr);

inline Examination NotExamined(NotExaminedReason reason) {
    return {MarkingVerdict::NotExamined, reason};
}

// `examination` of a document read as `access` says. One that changed while it was read gets no
// verdict from the bytes read since, which may mix two versions of it; a marking found in the
// bytes read before still lists it, since those were the file's own.
Examination AsRead(Examination examination, bool changedWhileRead, platform::FileAccess access);

// Opens the document as OpenDocument does and examines it with `examine`, which is given the
// opened document and may let it go as soon as it has read what it needs. The examination tells
// which file it examined and how it was read, and gives no verdict from bytes that changed.
template <typename Examine>
Examination ExamineOpenedDocument(const std::filesystem::path& path, platform::ListedAs listed,
                                  platform::DiskReadSigns* signs, platform::IncludedAccess include,
                                  const platform::OpenedFolder* folder, Examine&& examine) {
    OpenedDocument opened = OpenDocument(path, listed, signs, include, folder);
    if (opened.file == nullptr) {
        return NotExamined(opened.refusal);
    }
    const std::optional<platform::FileIdentity> identity = opened.file->Identity();
    const platform::FileDescription description = opened.file->Description();
    const platform::FileAccess access = opened.file->Access();
    // Examined before it is asked whether it changed: the question is about the reads.
    Examination examined = examine(opened);
    Examination examination = AsRead(std::move(examined), opened.file->ChangedWhileRead(), access);
    examination.fileIdentity = identity;
    examination.fileDescription = description;
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
