#include <string_view>

#include "platform/path_encoding.h"
#include "platform/utf8.h"
#include "report/byte_text.h"
#include "report/cell_texts.h"
#include "report/evidence_text.h"
#include "report/json_text.h"
#include "report/reason_texts.h"
#include "report/writers.h"
#include "scan/included_access.h"

namespace kalvor::report {

namespace {

// Only a document the user included gets the member, so that other rows read as they always have.
std::string AccessMember(platform::FileAccess access) {
    const std::string_view token = scan::AccessToken(access);
    return token.empty() ? std::string() : ",\"access\":" + JsonString(token);
}

std::string PathMembers(const std::filesystem::path& path) {
    const std::string bytes = platform::PathBytes(path);
    std::string members = "\"path\":" + JsonString(bytes);
    if (!IsValidUtf8(bytes)) {
        members += ",\"path_bytes\":\"" + HexBytes(bytes) + "\"";
    }
    return members;
}

// A line of the account of what was not searched: what, why and where.
std::string AccountLine(std::string_view kind, std::string_view token,
                        const std::filesystem::path& path) {
    return "{\"kind\":" + JsonString(kind) + ",\"reason\":" + JsonString(token) + "," +
           PathMembers(path) + "}\n";
}

std::string HitObject(const scan::EvidenceHit& hit) {
    return "{\"grade\":" + JsonString(GradeToken(hit.grade)) +
           ",\"place\":" + JsonString(PlaceToken(hit.place)) +
           ",\"marking\":" + JsonString(platform::Utf16ToUtf8(hit.marking)) +
           ",\"before\":" + JsonString(platform::Utf16ToUtf8(hit.before)) +
           ",\"after\":" + JsonString(platform::Utf16ToUtf8(hit.after)) + "}";
}

std::string EvidenceMembers(const std::vector<scan::EvidenceHit>& hits) {
    std::string members =
        ",\"grade\":" + JsonString(GradeToken(scan::DocumentGrade(hits))) + ",\"hits\":[";
    for (std::size_t i = 0; i < hits.size(); ++i) {
        if (i > 0) {
            members += ',';
        }
        members += HitObject(hits[i]);
    }
    return members + "]";
}

class JsonWriter final : public ReportWriter {
  public:
    explicit JsonWriter(bool withEvidence) : withEvidence_(withEvidence) {}

    std::string Start() override { return {}; }

    std::string Row(std::size_t index, const scan::ResultRow& row) override {
        return "{\"number\":" + RowNumberText(index) + "," + PathMembers(row.path) +
               ",\"size\":" + SizeText(row.size) +
               ",\"created\":" + JsonString(StampText(row.creationTime)) +
               ",\"modified\":" + JsonString(StampText(row.lastWriteTime)) +
               (withEvidence_ ? EvidenceMembers(row.evidence) : std::string()) +
               AccessMember(row.access) + "}\n";
    }

    std::string NotExamined(const std::filesystem::path& path,
                            const scan::NotExaminedReason& reason) override {
        return AccountLine("not-examined", ReasonToken(reason), path);
    }

    std::string FolderNotListed(const std::filesystem::path& folder,
                                scan::FolderNotListedReason reason) override {
        return AccountLine("folder-not-listed", ReasonToken(reason), folder);
    }

  private:
    bool withEvidence_;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeJsonWriter(bool withEvidence) {
    return std::make_unique<JsonWriter>(withEvidence);
}

}  // namespace kalvor::report
