#include "scan/folder_search.h"

#include "scan/document_formats.h"
#include "scan/parallel_search.h"
#include "scan/sequential_search.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

SearchProgress SearchFolder(const std::filesystem::path& folder, std::string_view extension,
                            SearchSink& sink, const SearchOptions& options) {
    const DocumentFormat& format = options.format ? *options.format : FormatOf(extension);
    const std::filesystem::path base = WalkBase(folder);
    if (options.jobs > 1) {
        return SearchInParallel(base, extension, format, sink, options.jobs);
    }
    return SearchOneByOne(base, extension, format, sink);
}

}  // namespace kalvor::scan
