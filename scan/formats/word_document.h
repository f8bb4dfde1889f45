#pragma once

#include <string_view>

#include "scan/document_format.h"

namespace kalvor::scan {

// The name ending of Word 97-2003 documents, for whoever lists or filters them.
inline constexpr std::string_view kWordDocumentExtension = ".doc";

// Files in the Word 97-2003 binary format: the marking detector on their "WordDocument" stream.
class WordDocumentFormat final : public DocumentFormat {
  public:
    // `withoutStream`: why a compound file without that stream is not examined.
    explicit constexpr WordDocumentFormat(
        std::string_view extension,
        NotExaminedReason withoutStream = NotExaminedReason::NoWordDocumentStream)
        : extension_(extension), withoutStream_(withoutStream) {}

    std::string_view Extension() const override { return extension_; }
    Examination Examine(const FoundDocument& document, WorkerMemory& memory,
                        marking::MatchRule rule) const override;

  private:
    std::string_view extension_;
    NotExaminedReason withoutStream_;
};

}  // namespace kalvor::scan
