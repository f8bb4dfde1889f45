#include <array>
#include <string_view>

#include "platform/path_encoding.h"
#include "report/byte_text.h"
#include "report/cell_texts.h"
#include "report/csv_record.h"
#include "report/escaped_field.h"
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
    std::string Start() override {
        const std::array<std::string, 6> titles{"number",  "path",     "size",
                                                "created", "modified", "path_escaped"};
        return CsvRecord(titles);
    }

    std::string Row(std::size_t index, const scan::ResultRow& row) override {
        const auto [path, escaped] = PathFields(row.path);
        const std::array<std::string, 6> fields{
            RowNumberText(index),         path,   SizeText(row.size), StampText(row.creationTime),
            StampText(row.lastWriteTime), escaped};
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
};

}  // namespace

std::unique_ptr<ReportWriter> MakeCsvWriter() {
    return std::make_unique<CsvWriter>();
}

}  // namespace kalvor::report
