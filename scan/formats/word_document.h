#pragma once

#include <string_view>

#include "scan/document_format.h"

namespace kalvor::scan {

// The name ending of Word 97-2003 documents, for whoever lists or filters them.
inline constexpr std::string_view kWordDocumentExtension = ".doc";

// Word 97-2003 documents: the marking detector on their "WordDocument" stream.
class WordDocumentFormat final : public DocumentFormat {
  public:
    std::string_view Extension() const override { return kWordDocumentExtension; }
    Examination Examine(const FoundDocument& document,
                        cfb::RootStreamReader& reader) const override;
};

}  // namespace kalvor::scan
