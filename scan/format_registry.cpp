#include "scan/format_registry.h"

#include <array>

#include "scan/document_types.h"
#include "scan/formats/word_document.h"
#if KALVOR_WORD_PACKAGES
#include "scan/formats/word_package.h"
#endif

namespace kalvor::scan {

namespace {

const WordDocumentFormat kWordDocument(kWordDocumentExtension);
const WordDocumentFormat kWordTemplate(".dot");
// WPS Writer writes the Word binary format under its own name; older works processors wrote
// something else under the same name, which is worth telling apart from a damaged document.
const WordDocumentFormat kWpsDocument(".wps", WordStreamRefusal::OlderWorksFormat);

#if KALVOR_WORD_PACKAGES
const WordPackageFormat kWordPackage(".docx");
const WordPackageFormat kMacroEnabledPackage(".docm");
const WordPackageFormat kTemplatePackage(".dotx");
const WordPackageFormat kMacroEnabledTemplatePackage(".dotm");
#endif

// Every format this build reads, in the order lists and dialogs show them.
constexpr auto kFormats = std::to_array<const DocumentFormat*>({
    &kWordDocument, &kWordTemplate, &kWpsDocument,
#if KALVOR_WORD_PACKAGES
        &kWordPackage, &kMacroEnabledPackage, &kTemplatePackage, &kMacroEnabledTemplatePackage,
#endif
});
static_assert(kFormats.size() <= DocumentTypes::kMaxTypes);

}  // namespace

std::span<const DocumentFormat* const> RegisteredFormats() {
    return kFormats;
}

}  // namespace kalvor::scan
