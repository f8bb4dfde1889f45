#pragma once

#include "platform/file_access.h"
#include "scan/document_types.h"
#include "scan/marking_rule.h"

namespace kalvor::scan {

class DocumentExaminer;

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
};

// One worker per core: examining documents is mostly waiting for the disk and scanning memory.
unsigned DefaultJobs();

}  // namespace kalvor::scan
