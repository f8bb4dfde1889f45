#include "results/warning_summary.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

namespace kalvor::results {
namespace {

// A warning about thousands of files stays as high as a screen, and a long list in it hides no
// other part.
TEST(WarningSummaryTest, KeepsTheHeadOfEveryParagraphWithinTheLines) {
    struct Case {
        std::vector<qsizetype> lines;  // of each paragraph, its heading among them
        std::vector<qsizetype> shown;  // of each, in a box 20 lines high
    };
    const std::vector<Case> cases{
        {{5}, {5}},         {{20}, {20}},           {{30}, {20}},
        {{30, 1}, {19, 1}}, {{3000, 40}, {10, 10}}, {{2, 300, 4}, {2, 14, 4}},
    };
    for (const Case& c : cases) {
        QStringList paragraphs;
        for (std::size_t index = 0; index < c.lines.size(); ++index) {
            QStringList lines;
            for (qsizetype line = 0; line < c.lines[index]; ++line) {
                lines << QStringLiteral("paragraph %1, line %2").arg(index).arg(line);
            }
            paragraphs << lines.join(u'\n');
        }
        const QString text = paragraphs.join(QStringLiteral("\n\n"));
        SCOPED_TRACE(text.left(200).toStdString());
        const QStringList summary = WarningSummary(text, 20).split(QStringLiteral("\n\n"));
        EXPECT_EQ(summary.size(), paragraphs.size());
        if (summary.size() != paragraphs.size()) {
            continue;
        }
        for (std::size_t index = 0; index < c.lines.size(); ++index) {
            const QStringList whole = paragraphs[static_cast<qsizetype>(index)].split(u'\n');
            const QStringList shown = summary[static_cast<qsizetype>(index)].split(u'\n');
            const bool cut = c.shown[index] < c.lines[index];
            EXPECT_EQ(shown.size(), c.shown[index] + (cut ? 1 : 0)) << "paragraph " << index;
            if (shown.size() != c.shown[index] + (cut ? 1 : 0)) {
                continue;
            }
            EXPECT_EQ(shown.mid(0, c.shown[index]), whole.mid(0, c.shown[index]));
            if (cut) {
                EXPECT_FALSE(whole.contains(shown.back())) << "points to the details";
            }
        }
    }
}

}  // namespace
}  // namespace kalvor::results
