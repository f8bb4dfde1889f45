#include "cli/report_lines.h"

#include "report/writers.h"

namespace kalvor::cli {

std::unique_ptr<report::ReportWriter> WriterFor(OutputFormat format) {
    switch (format) {
        case OutputFormat::Json:
            return report::MakeJsonWriter();
        case OutputFormat::Csv:
            return report::MakeCsvWriter();
        case OutputFormat::Text:
            break;
    }
    return report::MakeTextWriter();
}

}  // namespace kalvor::cli
