#include "cli/report_lines.h"

#include "report/writers.h"

namespace kalvor::cli {

std::unique_ptr<report::ReportWriter> WriterFor(OutputFormat format, bool withEvidence) {
    switch (format) {
        case OutputFormat::Json:
            return report::MakeJsonWriter(withEvidence);
        case OutputFormat::Csv:
            return report::MakeCsvWriter(withEvidence);
        case OutputFormat::Text:
            break;
    }
    return report::MakeTextWriter(withEvidence);
}

}  // namespace kalvor::cli
