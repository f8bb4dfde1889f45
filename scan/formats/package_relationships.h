#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "scan/formats/package_xml.h"

namespace kalvor::scan {

// What a relationship's type names, after the common start that Word's transitional and strict
// forms each give it ("…/relationships/header").
inline constexpr std::string_view kOfficeDocument = "officeDocument";

// Reads a relationships part and keeps the internal targets of the types asked for, as part names
// of the package, each once.
class Relationships final : public XmlHandler {
  public:
    // `source`: the part they belong to, whose folder relative targets start from; empty for the
    // package itself.
    Relationships(XmlReader& reader, std::string_view source,
                  std::span<const std::string_view> types)
        : reader_(reader), source_(source), types_(types) {}

    // More targets than any real document has stop the reader, over budget.
    const std::set<std::string>& Targets() const { return targets_; }

    void StartElement(std::string_view space, std::string_view local,
                      const char** attributes) override;
    void EndElement(std::string_view /*space*/, std::string_view /*local*/) override {}
    void Text(std::string_view /*utf8*/) override {}

  private:
    bool Wanted(std::string_view type) const;

    XmlReader& reader_;
    std::string_view source_;
    std::span<const std::string_view> types_;
    std::set<std::string> targets_;
    std::size_t targetBytes_ = 0;
};

// The relationships part of `part`: "word/document.xml" has "word/_rels/document.xml.rels", the
// package (empty) "_rels/.rels".
std::string RelationshipsPartOf(std::string_view part);

// `target` as a part name without its leading "/": taken from the folder of `source` unless it
// starts with "/", its %XX escapes decoded and its "." and ".." segments resolved. Nothing when it
// climbs out of the package.
std::optional<std::string> ResolveTarget(std::string_view source, std::string_view target);

}  // namespace kalvor::scan
