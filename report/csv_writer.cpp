#include <array>
#include <string_view>
#include <vector>

#include "platform/path_encoding.h"
#include "report/byte_text.h"
#include "report/cell_texts.h"
#include "report/csv_record.h"
#include "report/escaped_field.h"
#include "report/evidence_cells.h"
#include "report/reason_texts.h"
#include "report/writers.h"

namespace kalvor::report {

namespace {

// A path as CSV's quoting carries it, line breaks and all, when it is UTF-8; else escaped as the
// text output escapes it. The second field says which.
std::array<std::string, 2> PathFields(const std::filesystem::path& path) {
    const std::string bytes = platform::PathBytes(path);
    if (IsValidUtf8(bytes)) {
        return {bytes, "0"};
    }
    return {EscapeField(bytes), "1"};
}

// A record of the account of what was not searched: what, why and where.
std::string AccountRecord(std::string_view kind, std::string_view token,
                          const std::filesystem::path& path) {
    const auto [field, escaped] = PathFields(path);
    return CsvRecord(
        std::array<std::string, 4>{std::string(kind), std::string(token), field, escaped});
}

class CsvWriter final : public ReportWriter {
  public:
    explicit CsvWriter(bool withEvidence) : withEvidence_(withEvidence) {}

    std::string Start() override {
        std::vector<std::string> titles{"number", "path", "size", "created", "modified"};
        if (withEvidence_) {
            titles.insert(titles.end(), {"grade", "place", "context"});
        }
        titles.emplace_back("path_escaped");
        return CsvRecord(titles);
    }

    std::string Row(std::size_t index, const scan::ResultRow& row) override {
        const auto [path, escaped] = PathFields(row.path);
        std::vector<std::string> fields{RowNumberText(index), path, SizeText(row.size),
                                        StampText(row.creationTime), StampText(row.lastWriteTime)};
        if (withEvidence_) {
            const std::array<std::string, 3> cells =
                EvidenceCells(row.evidence, EvidenceWording::Tokens);
            fields.insert(fields.end(), cells.begin(), cells.end());
        }
        fields.push_back(escaped);
        return CsvRecord(fields);
    }

    std::string NotExamined(const std::filesystem::path& path,
                            const scan::NotExaminedReason& reason) override {
        return AccountRecord("not-examined", ReasonToken(reason), path);
    }

    std::string FolderNotListed(const std::filesystem::path& folder,
                                scan::FolderNotListedReason reason) override {
        return AccountRecord("folder-not-listed", ReasonToken(reason), folder);
    }

  private:
    bool withEvidence_;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeCsvWriter(bool withEvidence) {
    return std::make_unique<CsvWriter>(withEvidence);
}

}  // namespace kalvor::report
