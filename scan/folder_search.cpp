#include "scan/folder_search.h"

#include "scan/document_format.h"
#include "scan/parallel_search.h"
#include "scan/sequential_search.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

SearchProgress SearchFolder(const std::filesystem::path& folder, SearchSink& sink,
                            const SearchOptions& options) {
    const ExamineAsFound asFound({options.match, options.evidence});
    const DocumentExaminer& examiner = options.examiner ? *options.examiner : asFound;
    const std::filesystem::path base = WalkBase(folder);
    if (options.jobs > 1) {
        return SearchInParallel(base, options.types, examiner, sink,
                                {options.jobs, options.examinersWhileWaiting}, options.include);
    }
    return SearchOneByOne(base, options.types, examiner, sink, options.include);
}

}  // namespace kalvor::scan
