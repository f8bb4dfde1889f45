#pragma once

#include "platform/file_access.h"
#include "scan/document_types.h"
#include "scan/marking_rule.h"

namespace kalvor::scan {

class DocumentExaminer;

// Examiners added to a search's jobs once its reads have had to wait for the disk or a share:
// there a document costs round trips more than work, so dozens in progress at once keep the
// storage busy, as many as a share serves at once, while the memory stays bounded by them.
constexpr unsigned kExaminersWhileWaiting = 32;

struct SearchOptions {
    unsigned jobs = 1;      // files examined at once; 1 examines strictly one after another
    DocumentTypes types{};  // which files are looked at: Word 97-2003 documents unless asked
    marking::MatchRule match = marking::MatchRule::Default;
    // Whether each listed document's row carries its evidence (ResultRow::evidence): a second
    // read of those documents, and of nothing else.
    bool evidence = false;
    // Documents examined though they cannot be held against others; none unless asked.
    platform::IncludedAccess include{};
    // How the files found are examined; by default as the format of their type, under `match`.
    const DocumentExaminer* examiner = nullptr;
    // Examiners added once reads wait, where `jobs` is more than 1; none where the user set how
    // many documents are examined at once.
    unsigned examinersWhileWaiting = kExaminersWhileWaiting;
};

// How many examine a search's documents.
struct ExaminerCount {
    unsigned jobs = 1;
    unsigned whileWaiting = 0;  // examiners added once reads have had to wait
};

// One worker per core: examining documents is mostly waiting for the disk and scanning memory.
unsigned DefaultJobs();

}  // namespace kalvor::scan
