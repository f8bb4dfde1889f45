#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "cfb/byte_source.h"
#include "fuzz/document_checks.h"
#include "scan/examination_memory.h"
#include "scan/formats/word_package.h"

namespace {

using kalvor::scan::Examination;
using kalvor::scan::MarkingVerdict;

bool Same(const Examination& a, const Examination& b) {
    return a.verdict == b.verdict && a.reason == b.reason;
}

void Fail(const char* problem) {
    std::fprintf(stderr, "kalvor-fuzz-package: %s\n", problem);
    std::abort();
}

}  // namespace

// Examines each input as a Word 2007+ document with both rules and once more with the first, with
// one examiner kept from input to input as a worker keeps it from document to document.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kalvor::scan::marking::MatchRule;
    static kalvor::cfb::RootStreamReader compound(kalvor::scan::ExaminationMemory());
    static kalvor::scan::PackageExaminer examiner(compound);
    kalvor::cfb::MemoryByteSource source({data, size});
    const Examination plain = examiner.Examine(source, MatchRule::Default);
    const Examination wide = examiner.Examine(source, MatchRule::Wide);
    for (const Examination& examination : {plain, wide}) {
        if ((examination.verdict == MarkingVerdict::NotExamined) !=
            examination.reason.has_value()) {
            Fail("a reason comes with a verdict other than NotExamined, or none with it");
        }
    }
    // The wide rule accepts every marking the default one does, and reads the same parts.
    if (wide.verdict != MarkingVerdict::Marked && !Same(wide, plain)) {
        Fail("the wide rule came to another verdict without finding a marking");
    }
    if (!Same(examiner.Examine(source, MatchRule::Default), plain)) {
        Fail("a second examination of the same bytes came to another verdict");
    }
    const kalvor::scan::ExamineRequest withEvidence(MatchRule::Default, /*evidence=*/true);
    if (const auto problem =
            kalvor::fuzz::CheckEvidence(plain, examiner.Examine(source, withEvidence))) {
        Fail(problem->c_str());
    }
    return 0;
}
