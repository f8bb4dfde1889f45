#pragma once

#include <bitset>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/directory_listing.h"

namespace kalvor::scan {

class DocumentFormat;

// The kinds of documents a search looks for, named by the endings of their files' names without
// the dot ("doc", "docx"), each kind a registered format. By default only Word 97-2003 documents.
class DocumentTypes {
  public:
    static constexpr std::size_t kMaxTypes = 16;

    // Word 97-2003 documents only.
    DocumentTypes();
    // Every type this build can examine.
    static DocumentTypes All();
    // A comma-separated list of type names (ASCII case ignored), or "all". Nothing when the list
    // is empty or names a type this build does not know; `unknown` then holds the offending name.
    static std::optional<DocumentTypes> Parse(std::string_view list,
                                              std::string* unknown = nullptr);

    // Every type this build can examine, in the order lists and dialogs show them.
    static std::vector<std::string_view> Known();

    bool Contains(std::string_view name) const;
    // False when this build does not know the type.
    bool Set(std::string_view name, bool chosen);
    // The chosen types, in the order Known() gives them.
    std::vector<std::string_view> Names() const;
    bool Empty() const { return chosen_.none(); }

    // The chosen format whose files end, from the last ".", as `name` does; nothing when none is
    // chosen for it.
    const DocumentFormat* FormatOfName(platform::NativeName name) const;

    bool operator==(const DocumentTypes&) const = default;

  private:
    std::bitset<kMaxTypes> chosen_;
};

}  // namespace kalvor::scan
