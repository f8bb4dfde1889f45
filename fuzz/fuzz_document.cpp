#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>

#include "fuzz/document_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kalvor::cfb::RootStreamReader reader(kalvor::scan::ExaminationMemory());
    const std::optional<std::string> problem =
        kalvor::fuzz::CheckDocument(std::span<const std::uint8_t>(data, size), reader);
    if (problem.has_value()) {
        std::fprintf(stderr, "kalvor-fuzz-document: %s\n", problem->c_str());
        std::abort();
    }
    return 0;
}
