#include "scan/document_types.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "scan/folder_search.h"
#include "tests/support/compound_file_builder.h"
#include "tests/support/search_sink_recorder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/word_stream.h"

namespace kalvor::scan {
namespace {

using Paths = std::vector<std::string>;

TEST(DocumentTypes, ParsesTheListsACommandLineGives) {
    struct Case {
        const char* list;
        std::optional<Paths> names;  // nothing: refused
        const char* unknown;
    };
    std::vector<Case> cases = {
        {"doc", Paths{"doc"}, ""},
        {"DOT, wps", Paths{"dot", "wps"}, ""},
        {"wps,doc,wps", Paths{"doc", "wps"}, ""},
        {"doc,pdf", std::nullopt, "pdf"},
        {"doc,", std::nullopt, ""},
        {"", std::nullopt, ""},
        {".doc", std::nullopt, ".doc"},
    };
    const std::vector<std::string_view> known = DocumentTypes::Known();
    cases.push_back({" all ", Paths(known.begin(), known.end()), ""});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.list);
        std::string unknown = "untouched";
        const std::optional<DocumentTypes> types = DocumentTypes::Parse(c.list, &unknown);
        EXPECT_EQ(types.has_value(), c.names.has_value());
        if (types.has_value() != c.names.has_value()) {
            continue;
        }
        if (types.has_value()) {
            const std::vector<std::string_view> names = types->Names();
            EXPECT_EQ(Paths(names.begin(), names.end()), *c.names);
        } else {
            EXPECT_EQ(unknown, c.unknown);
        }
    }
}

// Marked files of every binary type, and a .wps an older works processor wrote; each search looks
// at the types it was given and at nothing else.
TEST(DocumentTypes, ASearchExaminesTheChosenTypesOnly) {
    const testing::TempDir dir;
    const std::vector<std::uint8_t> marked = testing::WordDocumentWithText(u"绝密");
    dir.Write("a.doc", marked);
    dir.Write("b.DOT", marked);
    dir.Write("c.wps", marked);
    dir.Write("d.wps", testing::BuildCompoundFile({.rootStreams = {{u"CONTENTS", {1, 2, 3}}}}));
    dir.Write("e.docx", marked);
    struct Case {
        const char* types;
        Paths rows;
        Paths notExamined;
        std::vector<NotExaminedReason> reasons;
    };
    const std::vector<Case> cases = {
        {"doc", {"a.doc"}, {}, {}},
        {"dot", {"b.DOT"}, {}, {}},
        {"wps", {"c.wps"}, {"d.wps"}, {WordStreamRefusal::OlderWorksFormat}},
        {"doc,dot,wps",
         {"a.doc", "b.DOT", "c.wps"},
         {"d.wps"},
         {WordStreamRefusal::OlderWorksFormat}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.types);
        for (const unsigned jobs : {1U, 3U}) {
            SearchSinkRecorder sink;
            SearchFolder(dir.Path(), sink, {.jobs = jobs, .types = *DocumentTypes::Parse(c.types)});
            EXPECT_EQ(sink.RowPaths(dir.Path()), c.rows);
            EXPECT_EQ(sink.NotExaminedPaths(dir.Path()), c.notExamined);
            std::vector<NotExaminedReason> reasons;
            for (const auto& [path, reason] : sink.notExamined) {
                reasons.push_back(reason);
            }
            EXPECT_EQ(reasons, c.reasons);
        }
    }
}

}  // namespace
}  // namespace kalvor::scan
