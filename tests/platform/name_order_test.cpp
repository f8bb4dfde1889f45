#include "platform/name_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/utf8.h"

namespace kalvor::platform {
namespace {

struct OrderCase {
    const char* why;
    std::string first;
    std::string second;
};

TEST(NameOrder, ComparesUpperCasedUtf16CodeUnits) {
    const std::vector<OrderCase> cases = {
        {"case is ignored: a before B", "a.doc", "B.doc"},
        {"'.' sorts before letters", "a.doc", "ab.doc"},
        {"upper-cased, 'B' sorts before '_'", "ab.doc", "a_.doc"},
        {"Latin-1 letters upper-cased", "\xC3\xA0", "\xC3\x81x"},  // à < Áx
        {"Cyrillic а before Б", "\xD0\xB0", "\xD0\x91"},
        {"Greek α before Β", "\xCE\xB1", "\xCE\x92"},
        {"Latin Extended-A ā before Ă", "\xC4\x81", "\xC4\x82"},
        {"surrogate pairs before high BMP units", "\xF0\x90\x80\x80", "\xEF\xBC\xA1"},
        {"a valid character before an invalid byte", "\xE4\xB8\xAD", "\x80"},
        {"invalid bytes by value", "\xFE", "\xFF"},
        {"a tie in upper case falls back to the bytes", "A.doc", "a.doc"},
        {"a prefix first", "doc", "doc1"},
    };
    for (const OrderCase& c : cases) {
        SCOPED_TRACE(c.why);
        EXPECT_LT(MakeNameOrderKey(c.first), MakeNameOrderKey(c.second));
        EXPECT_GT(MakeNameOrderKey(c.second), MakeNameOrderKey(c.first));
    }
}

TEST(NameOrder, UpcasesWithAFixedTable) {
    const std::vector<std::pair<char16_t, char16_t>> cases = {
        {u'a', u'A'},   {u'z', u'Z'},     {u'A', u'A'},           {u'_', u'_'}, {u'é', u'É'},
        {u'ÿ', u'Ÿ'},   {u'÷', u'÷'},     {u'ą', u'Ą'},           {u'Ą', u'Ą'}, {u'ž', u'Ž'},
        {u'ω', u'Ω'},   {u'ς', u'Σ'},     {u'ά', u'Ά'},           {u'я', u'Я'}, {u'ё', u'Ё'},
        {u'ѣ', u'Ѣ'},   {u'ӂ', u'Ӂ'},     {u'ա', u'Ա'},           {u'ạ', u'Ạ'}, {u'ａ', u'Ａ'},
        {u'密', u'密'}, {0xDC80, 0xDC80}, {u'\u0131', u'\u0131'},
    };
    for (const auto& [lower, upper] : cases) {
        SCOPED_TRACE(static_cast<int>(lower));
        EXPECT_EQ(UpcaseUnit(lower), upper);
    }
}

TEST(NameOrder, KeepsInvalidBytesAsUnitsOfTheirOwn) {
    EXPECT_EQ(MakeNameOrderKey("a\xFF\xC3").upcased, (std::u16string{u'A', 0xDCFF, 0xDCC3}));
    EXPECT_EQ(MakeNameOrderKey("\xED\xA0\x80").upcased, (std::u16string{0xDCED, 0xDCA0, 0xDC80}));
    EXPECT_EQ(MakeNameOrderKey("\xF0\x9F\x98\x80").upcased, (std::u16string{0xD83D, 0xDE00}));
}

TEST(Utf8, ReplacesEveryByteThatStartsNoWellFormedSequence) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"plain.doc", "plain.doc"},
        {"机密.doc", "机密.doc"},
        {"\xFF.doc", "\xEF\xBF\xBD.doc"},
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},                                    // overlong '/'
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},                    // surrogate
        {"\xF4\x90\x80\x80x", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDx"},  // > U+10FFFF
        {"\xE6\x9C", "\xEF\xBF\xBD\xEF\xBF\xBD"},                                    // truncated
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
    };
    for (const auto& [bytes, shown] : cases) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(ToValidUtf8(bytes), shown);
    }
}

}  // namespace
}  // namespace kalvor::platform
