#include <array>
#include <string_view>
#include <utility>

#include "report/cell_texts.h"
#include "report/csv_record.h"
#include "report/evidence_cells.h"
#include "report/reason_texts.h"
#include "report/writers.h"

namespace kalvor::report {

namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// The last field of a record that names a file: 1 when its path is escaped as kalvor-scan escapes
// it (a reader turns it back into the exact bytes), 0 when it stands as it is.
constexpr std::string_view kEscapedTitle = "文件名已转义";

std::string EscapedField(const PathCell& cell) {
    return cell.escaped ? "1" : "0";
}

// A field after it says how each file was read, only in a report of a search that read some file
// otherwise than every file is read (the user included read-only documents or documents in use),
// so a report of a default search stays as it always was.
constexpr std::string_view kAccessTitle = "读取方式";

class ExportWriter final : public ReportWriter {
  public:
    ExportWriter(std::vector<std::string> columnTitles, bool withAccess)
        : columnTitles_(std::move(columnTitles)), withAccess_(withAccess) {
        columnTitles_.insert(columnTitles_.end(), {"判断", "位置", "上下文"});
        columnTitles_.emplace_back(kEscapedTitle);
        if (withAccess_) {
            columnTitles_.emplace_back(kAccessTitle);
        }
    }

    std::string Start() override {
        return std::string(kUtf8ByteOrderMark) + CsvRecord(columnTitles_);
    }

    std::string Row(std::size_t index, const scan::ResultRow& row) override {
        PathCell path = PathCellOf(row.path);
        auto [grade, place, context] = EvidenceCells(row.evidence, EvidenceWording::Words);
        std::vector<std::string> cells{RowNumberText(index),
                                       std::move(path.text),
                                       SizeText(row.size),
                                       StampText(row.creationTime),
                                       StampText(row.lastWriteTime),
                                       std::move(grade),
                                       std::move(place),
                                       std::move(context),
                                       EscapedField(path)};
        if (withAccess_) {
            cells.emplace_back(AccessText(row.access));
        }
        return CsvRecord(cells);
    }

    std::string NotExamined(const std::filesystem::path& path,
                            const scan::NotExaminedReason& reason) override {
        return NotSearchedRecord(path, std::string(ReasonDescription(reason)));
    }

    std::string FolderNotListed(const std::filesystem::path& folder,
                                scan::FolderNotListedReason reason) override {
        return NotSearchedRecord(folder, FolderNotListedNote(reason));
    }

  private:
    // One record of what was not searched, after an empty line and the titles of that part when
    // it is the first.
    std::string NotSearchedRecord(const std::filesystem::path& path, std::string reason) {
        std::string text;
        if (!notSearchedBegun_) {
            notSearchedBegun_ = true;
            text = "\r\n" + CsvRecord(std::array<std::string, 3>{"未能检查的文件或文件夹", "原因",
                                                                 std::string(kEscapedTitle)});
        }
        PathCell cell = PathCellOf(path);
        return text + CsvRecord(std::array<std::string, 3>{std::move(cell.text), std::move(reason),
                                                           EscapedField(cell)});
    }

    std::vector<std::string> columnTitles_;
    bool withAccess_;
    bool notSearchedBegun_ = false;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeExportWriter(std::vector<std::string> columnTitles,
                                               bool withAccess) {
    return std::make_unique<ExportWriter>(std::move(columnTitles), withAccess);
}

}  // namespace kalvor::report
