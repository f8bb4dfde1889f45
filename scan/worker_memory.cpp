#include "scan/worker_memory.h"

#include "scan/tree_walk.h"

namespace kalvor::scan {

namespace {

// A walk keeps its reader's memory between documents; one huge stream should not pin its memory
// for the rest of the walk.
constexpr std::size_t kMemoryKeptBetweenDocuments = 64 * 1024 * 1024;

}  // namespace

std::shared_ptr<const platform::OpenedFolder> WorkerMemory::FolderOf(
    const FoundDocument& document) const {
    return folders != nullptr ? folders->Get(document.path.parent_path(), document.folderIdentity)
                              : nullptr;
}

bool KeepsNoMemoryAfter(const Examination& examination) {
    return examination.reason == ExaminationLimit::OutOfMemory || platform::MemoryBudget::Tight();
}

void ReleaseMemoryAfter(const Examination& examination, cfb::RootStreamReader& reader) {
    reader.ReleaseMemoryAbove(KeepsNoMemoryAfter(examination) ? 0 : kMemoryKeptBetweenDocuments);
}

}  // namespace kalvor::scan
