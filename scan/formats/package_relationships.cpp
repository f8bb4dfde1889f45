#include "scan/formats/package_relationships.h"

#include <algorithm>
#include <array>
#include <vector>

namespace kalvor::scan {

namespace {

constexpr std::string_view kRelationshipsNamespace =
    "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr std::array<std::string_view, 2> kTypePrefixes = {
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/",
    "http://purl.oclc.org/ooxml/officeDocument/relationships/"};

// A document of thousands of sections relates a few thousand headers and footers; these bound
// what a relationships part built to exhaust memory can make us keep.
constexpr std::size_t kMaxTargets = 10000;
constexpr std::size_t kMaxTargetBytes = 1024 * 1024;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
            HexValue(text[i + 2]) >= 0) {
            decoded.push_back(
                static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
            i += 2;
        } else {
            decoded.push_back(text[i]);
        }
    }
    return decoded;
}

}  // namespace

void Relationships::StartElement(std::string_view space, std::string_view local,
                                 const char** attributes) {
    if (space != kRelationshipsNamespace || local != "Relationship" ||
        AttributeValue(attributes, "TargetMode") == "External" ||
        !Wanted(AttributeValue(attributes, "Type"))) {
        return;
    }
    std::optional<std::string> target =
        ResolveTarget(source_, AttributeValue(attributes, "Target"));
    if (!target.has_value()) {
        return;
    }
    targetBytes_ += target->size();
    targets_.insert(std::move(*target));
    if (targets_.size() > kMaxTargets || targetBytes_ > kMaxTargetBytes) {
        reader_.StopOverBudget();
    }
}

bool Relationships::Wanted(std::string_view type) const {
    return std::any_of(kTypePrefixes.begin(), kTypePrefixes.end(), [&](std::string_view prefix) {
        return type.starts_with(prefix) &&
               std::find(types_.begin(), types_.end(), type.substr(prefix.size())) != types_.end();
    });
}

std::string RelationshipsPartOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::string rels(part.substr(0, nameStart));
    rels += "_rels/";
    rels += part.substr(nameStart);
    rels += ".rels";
    return rels;
}

std::optional<std::string> ResolveTarget(std::string_view source, std::string_view target) {
    std::string path;
    if (target.starts_with('/')) {
        path = PercentDecoded(target.substr(1));
    } else {
        const std::size_t slash = source.rfind('/');
        path = std::string(source.substr(0, slash == std::string_view::npos ? 0 : slash + 1)) +
               PercentDecoded(target);
    }
    std::vector<std::string_view> segments;
    const std::string_view whole(path);
    for (std::size_t start = 0; start <= whole.size();) {
        const std::size_t end = std::min(whole.find('/', start), whole.size());
        const std::string_view segment = whole.substr(start, end - start);
        if (segment == "..") {
            if (segments.empty()) {
                return std::nullopt;
            }
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string_view segment : segments) {
        if (!resolved.empty()) {
            resolved += '/';
        }
        resolved += segment;
    }
    return resolved;
}

}  // namespace kalvor::scan
