#include "scan/document_formats.h"

#include <array>

#include "scan/document_types.h"
#include "scan/formats/word_document.h"

namespace kalvor::scan {

namespace {

const WordDocumentFormat kWordDocument(kWordDocumentExtension);
const WordDocumentFormat kWordTemplate(".dot");
// WPS Writer writes the Word binary format under its own name; older works processors wrote
// something else under the same name, which is worth telling apart from a damaged document.
const WordDocumentFormat kWpsDocument(".wps", NotExaminedReason::OlderWorksFormat);

constexpr std::array<const DocumentFormat*, 3> kFormats = {&kWordDocument, &kWordTemplate,
                                                           &kWpsDocument};
static_assert(kFormats.size() <= DocumentTypes::kMaxTypes);

}  // namespace

std::span<const DocumentFormat* const> RegisteredFormats() {
    return kFormats;
}

}  // namespace kalvor::scan
