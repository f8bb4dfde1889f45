#include "scan/worker_memory.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace kalvor::scan {
namespace {

enum class Kind { Parser, Windows };

// Two kinds of memory, each counting how many of it were made.
struct ParserMemory final : FormatMemory {
    explicit ParserMemory(std::map<Kind, int>& made) { ++made[Kind::Parser]; }
};
struct WindowMemory final : FormatMemory {
    explicit WindowMemory(std::map<Kind, int>& made) { ++made[Kind::Windows]; }
};

struct KeptCase {
    std::string name;
    std::vector<Kind> asked;  // in turn, as documents of formats keeping these kinds come up
    std::map<Kind, int> made;
};

void PrintTo(const KeptCase& param, std::ostream* out) {
    *out << param.name;
}

class KeepingFormatMemory : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeepingFormatMemory, MakesEachKindOnceAndGivesTheSameBackEveryTime) {
    WorkerMemory memory;
    std::map<Kind, int> made;
    std::map<Kind, const FormatMemory*> first;
    for (const Kind kind : GetParam().asked) {
        const FormatMemory* kept =
            kind == Kind::Parser ? static_cast<FormatMemory*>(&memory.Kept<ParserMemory>(made))
                                 : &memory.Kept<WindowMemory>(made);
        EXPECT_EQ(first.try_emplace(kind, kept).first->second, kept);
    }
    EXPECT_EQ(made, GetParam().made);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, KeepingFormatMemory,
    ::testing::Values(KeptCase{"NoneAsked", {}, {}},
                      KeptCase{"OneKindAgainAndAgain",
                               {Kind::Parser, Kind::Parser, Kind::Parser},
                               {{Kind::Parser, 1}}},
                      KeptCase{"TwoKindsInTurn",
                               {Kind::Windows, Kind::Parser, Kind::Windows, Kind::Parser},
                               {{Kind::Parser, 1}, {Kind::Windows, 1}}}),
    [](const ::testing::TestParamInfo<KeptCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kalvor::scan
