#include "scan/document_formats.h"

#include <array>
#include <stdexcept>
#include <string>

#include "scan/extension_match.h"
#include "scan/formats/word_document.h"

namespace kalvor::scan {

namespace {

const WordDocumentFormat kWordDocument;

// Every format a search can look for.
constexpr std::array<const DocumentFormat*, 1> kFormats = {&kWordDocument};

}  // namespace

const DocumentFormat& FormatOf(std::string_view extension) {
    for (const DocumentFormat* format : kFormats) {
        if (SameExtension(format->Extension(), extension)) {
            return *format;
        }
    }
    throw std::invalid_argument("no document format for " + std::string(extension));
}

}  // namespace kalvor::scan
