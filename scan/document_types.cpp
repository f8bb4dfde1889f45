#include "scan/document_types.h"

#include "scan/extension_match.h"
#include "scan/format_registry.h"

namespace kalvor::scan {

namespace {

std::string_view NameOf(const DocumentFormat& format) {
    return format.Extension().substr(1);  // without the dot
}

// The registered format named `name`, by its place in the registry.
std::optional<std::size_t> IndexOf(std::string_view name) {
    const auto formats = RegisteredFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (SameExtension(NameOf(*formats[i]), name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == text.npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

DocumentTypes::DocumentTypes() {
    chosen_.set(0);  // the registry's first format: Word 97-2003 documents
}

DocumentTypes DocumentTypes::All() {
    DocumentTypes all;
    for (std::size_t i = 0; i < RegisteredFormats().size(); ++i) {
        all.chosen_.set(i);
    }
    return all;
}

std::optional<DocumentTypes> DocumentTypes::Parse(std::string_view list, std::string* unknown) {
    if (SameExtension(Trimmed(list), "all")) {
        return All();
    }
    DocumentTypes types;
    types.chosen_.reset();
    while (true) {
        const std::size_t comma = list.find(',');
        const std::string_view name = Trimmed(list.substr(0, comma));
        if (!types.Set(name, true)) {
            if (unknown != nullptr) {
                *unknown = std::string(name);
            }
            return std::nullopt;
        }
        if (comma == list.npos) {
            return types;
        }
        list.remove_prefix(comma + 1);
    }
}

std::vector<std::string_view> DocumentTypes::Known() {
    return All().Names();
}

bool DocumentTypes::Contains(std::string_view name) const {
    const std::optional<std::size_t> index = IndexOf(name);
    return index.has_value() && chosen_.test(*index);
}

bool DocumentTypes::Set(std::string_view name, bool chosen) {
    const std::optional<std::size_t> index = IndexOf(name);
    if (!index.has_value()) {
        return false;
    }
    chosen_.set(*index, chosen);
    return true;
}

std::vector<std::string_view> DocumentTypes::Names() const {
    std::vector<std::string_view> names;
    const auto formats = RegisteredFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (chosen_.test(i)) {
            names.push_back(NameOf(*formats[i]));
        }
    }
    return names;
}

const DocumentFormat* DocumentTypes::FormatOfName(platform::NativeName name) const {
    const auto formats = RegisteredFormats();
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (chosen_.test(i) && MatchesExtension(name, formats[i]->Extension())) {
            return formats[i];
        }
    }
    return nullptr;
}

}  // namespace kalvor::scan
