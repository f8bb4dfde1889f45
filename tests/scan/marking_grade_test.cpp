#include "scan/marking_grade.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kalvor::scan::marking {
namespace {

using Grade = EvidenceGrade;
using Place = EvidencePlace;

struct GradeCase {
    const char* name;
    std::u16string before;
    std::u16string after;
    Place place = Place::Body;
    std::optional<std::uint32_t> paragraph = 0;
    bool beforeFromStart = true;
    bool afterToEnd = true;
    Grade expected = Grade::Marking;
};

// Each hit is 机密 in the paragraph `before` + 机密 + `after`.
TEST(GradeOf, TellsAClassificationMarkingFromAMention) {
    const std::vector<GradeCase> cases = {
        {"alone, first paragraph", u"", u""},
        {"alone, third paragraph with text", u"", u"", Place::Body, 2},
        {"alone, fourth paragraph with text", u"", u"", Place::Body, 3, true, true, Grade::Mention},
        {"alone in a table cell at the top", u"", u"", Place::Table, 1},
        {"alone in a header, wherever", u"", u"", Place::HeaderFooter, std::nullopt},
        {"alone in a footnote", u"", u"", Place::Footnote, std::nullopt, true, true,
         Grade::Mention},
        {"alone in an endnote", u"", u"", Place::Endnote, std::nullopt, true, true, Grade::Mention},
        {"alone in a comment", u"", u"", Place::Comment, std::nullopt, true, true, Grade::Mention},
        {"alone in a text box", u"", u"", Place::TextBox, std::nullopt, true, true, Grade::Mention},
        {"star and years", u"", u"★10年"},
        {"white star and months", u"", u"☆6个月"},
        {"full-width asterisk, long term", u"", u"＊长期"},
        {"an exam paper's", u"", u"★启用前"},
        {"until a date", u"", u"★2025年12月31日"},
        {"full-width digits, spaced out", u"", u" ★ １０ 年 "},
        {"indented with full-width spaces", u"\u3000\u3000", u""},
        {"second line after a line break", u"000123\v", u"★1年\v特急"},
        {"a period followed by more words", u"", u"★10年内有效", Place::Body, 0, true, true,
         Grade::Mention},
        {"a star without a period", u"", u"★", Place::Body, 0, true, true, Grade::Mention},
        {"a count without a unit", u"", u"★10", Place::Body, 0, true, true, Grade::Mention},
        {"a word before it", u"密级：", u"", Place::Body, 0, true, true, Grade::Mention},
        {"a word behind it", u"", u"文件", Place::Body, 0, true, true, Grade::Mention},
        {"more in front than was kept", u"  ", u"", Place::Body, 0, false, true, Grade::Mention},
        {"more behind than was kept", u"", u"★10年", Place::Body, 0, true, false, Grade::Mention},
        {"residue", u"", u"", Place::Residue, std::nullopt, true, true, Grade::Residue},
        {"not placed", u"", u"", Place::Unknown, std::nullopt, true, true, Grade::Unknown},
    };
    for (const GradeCase& c : cases) {
        const HitSurroundings hit{.before = c.before,
                                  .marking = u"机密",
                                  .after = c.after,
                                  .beforeFromStart = c.beforeFromStart,
                                  .afterToEnd = c.afterToEnd,
                                  .place = c.place,
                                  .paragraph = c.paragraph};
        EXPECT_EQ(GradeOf(hit), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace kalvor::scan::marking
