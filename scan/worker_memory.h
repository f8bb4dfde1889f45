#pragma once

#include <memory>
#include <typeindex>
#include <utility>
#include <vector>

#include "cfb/compound_file.h"
#include "platform/disk_read_signs.h"
#include "platform/memory_budget.h"
#include "platform/opened_folders.h"
#include "scan/examination_memory.h"
#include "scan/marking_verdict.h"

namespace kalvor::scan {

struct FoundDocument;

// What a format keeps from one document to the next besides the compound-file reader: each format
// that keeps something has a kind of its own, and the formats that share one kind share it.
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
    // For every format that meets a compound file.
    cfb::RootStreamReader compound{ExaminationMemory()};
    // The folders its search holds open for the documents in them, when it holds any.
    platform::OpenedFolders* folders = nullptr;

    // The folder `document` was found in, held open, where its search holds folders and that
    // folder is still the one the walk listed.
    std::shared_ptr<const platform::OpenedFolder> FolderOf(const FoundDocument& document) const;

    // What this worker keeps of the kind `Memory`, made from `args` the first time it is asked
    // for, so that a search never pays for the formats it does not meet.
    template <typename Memory, typename... Args>
    Memory& Kept(Args&&... args) {
        for (const auto& [kind, kept] : formats_) {
            if (kind == typeid(Memory)) {
                return static_cast<Memory&>(*kept);
            }
        }
        auto made = std::make_unique<Memory>(std::forward<Args>(args)...);
        Memory& memory = *made;
        formats_.emplace_back(typeid(Memory), std::move(made));
        return memory;
    }

  private:
    // Let go before `compound`, which they may read with.
    std::vector<std::pair<std::type_index, std::unique_ptr<FormatMemory>>> formats_;
};

// Whether an examiner should keep no memory at all after `examination`: it ran out of memory, or
// the examination's memory budget is tight.
bool KeepsNoMemoryAfter(const Examination& examination);

// Gives back what examining one document made `reader` grow past what a walk keeps from one
// document to the next; all of it when KeepsNoMemoryAfter. Also after a failure, so the memory
// goes back for the next documents.
void ReleaseMemoryAfter(const Examination& examination, cfb::RootStreamReader& reader);

}  // namespace kalvor::scan
