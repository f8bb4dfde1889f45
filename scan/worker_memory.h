#pragma once

#include <memory>

#include "cfb/compound_file.h"
#include "platform/disk_read_signs.h"
#include "platform/memory_budget.h"
#include "scan/marking_verdict.h"

namespace kalvor::scan {

// What a format keeps from one document to the next besides the compound-file reader.
class FormatMemory {
  public:
    virtual ~FormatMemory() = default;
};

// What one examiner keeps from one document to the next, so that a walk allocates next to
// nothing per document. Each examining thread has its own.
struct WorkerMemory {
    // What its examinations are charged to: the process's, so that all examiners together stay
    // within one budget however many there are.
    platform::MemoryBudget* budget = &platform::MemoryBudget::Process();
    // What its reads have shown of the disk, for its search to read ahead by.
    platform::DiskReadSigns diskReads;
    cfb::RootStreamReader compound;
    // Word 2007+ packages; made by their format on first use, so a search of .doc files only
    // never pays for it.
    std::unique_ptr<FormatMemory> package;
};

// Whether an examiner should keep no memory at all after `examination`: it ran out of memory, or
// the examination's memory budget is tight.
bool KeepsNoMemoryAfter(const Examination& examination);

// Gives back what examining one document made `reader` grow past what a walk keeps from one
// document to the next; all of it when KeepsNoMemoryAfter. Also after a failure, so the memory
// goes back for the next documents.
void ReleaseMemoryAfter(const Examination& examination, cfb::RootStreamReader& reader);

}  // namespace kalvor::scan
