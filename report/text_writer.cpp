#include "platform/file_name_rules.h"
#include "platform/path_encoding.h"
#include "report/cell_texts.h"
#include "report/escaped_field.h"
#include "report/evidence_cells.h"
#include "report/reason_texts.h"
#include "report/writers.h"

namespace kalvor::report {

namespace {

// Windows names cannot hold control characters, and the backslash is its separator: a path is
// unambiguous as it stands there, and escaping every separator would only garble it.
std::string PathField(const std::filesystem::path& path) {
    const std::string bytes = platform::PathBytes(path);
    return platform::FileNamesMayHoldLineBreaks() ? EscapeField(bytes) : bytes;
}

// The marking's own spaces may be tabs, and a context must stay one field of the line.
std::string EvidenceFields(const scan::ResultRow& row) {
    const auto [grade, place, context] = EvidenceCells(row.evidence, EvidenceWording::Tokens);
    return '\t' + grade + '\t' + place + '\t' + EscapeField(context);
}

class TextWriter final : public ReportWriter {
  public:
    explicit TextWriter(bool withEvidence) : withEvidence_(withEvidence) {}

    std::string Start() override { return {}; }

    std::string Row(std::size_t index, const scan::ResultRow& row) override {
        return RowNumberText(index) + '\t' + PathField(row.path) + '\t' + SizeText(row.size) +
               '\t' + StampText(row.creationTime) + '\t' + StampText(row.lastWriteTime) +
               (withEvidence_ ? EvidenceFields(row) : std::string()) + '\n';
    }

    std::string NotExamined(const std::filesystem::path& path,
                            const scan::NotExaminedReason& reason) override {
        return "not-examined\t" + std::string(ReasonToken(reason)) + '\t' + PathField(path) + '\n';
    }

    std::string FolderNotListed(const std::filesystem::path& folder,
                                scan::FolderNotListedReason /*reason*/) override {
        return "folder-not-listed\t" + PathField(folder) + '\n';
    }

  private:
    bool withEvidence_;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeTextWriter(bool withEvidence) {
    return std::make_unique<TextWriter>(withEvidence);
}

}  // namespace kalvor::report
