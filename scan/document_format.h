#pragma once

#include <string_view>

#include "cfb/compound_file.h"
#include "scan/marking_verdict.h"
#include "scan/tree_walk.h"

namespace kalvor::scan {

// A kind of document a search looks for: which files are its candidates, and how one is
// examined. A new format is a file in scan/formats/ and a line in the registry.
class DocumentFormat {
  public:
    virtual ~DocumentFormat() = default;

    // The ending of its files' names, from the last ".", compared with ASCII case ignored.
    virtual std::string_view Extension() const = 0;

    // The verdict on one document a walk found, and why it could not be examined. `reader` keeps
    // its memory from one call to the next, so a worker allocates nothing per document.
    virtual Examination Examine(const FoundDocument& document,
                                cfb::RootStreamReader& reader) const = 0;
};

}  // namespace kalvor::scan
