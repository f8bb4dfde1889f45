#include "results/warning_summary.h"

#include <QStringList>
#include <algorithm>
#include <numeric>
#include <vector>

namespace kalvor::results {

namespace {

const QString kParagraphBreak = QStringLiteral("\n\n");

}  // namespace

QString WarningSummary(const QString& text, qsizetype lines) {
    std::vector<QStringList> paragraphs;
    for (const QString& paragraph : text.split(kParagraphBreak)) {
        paragraphs.push_back(paragraph.split(u'\n'));
    }
    // The shortest paragraphs take their lines first; the longer ones share what is left, each at
    // least its heading and one line.
    std::vector<std::size_t> order(paragraphs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&paragraphs](std::size_t a, std::size_t b) {
        return paragraphs[a].size() < paragraphs[b].size();
    });
    std::vector<qsizetype> shown(paragraphs.size());
    qsizetype left = lines;
    qsizetype sharing = static_cast<qsizetype>(paragraphs.size());
    for (const std::size_t index : order) {
        shown[index] = std::min(paragraphs[index].size(), std::max<qsizetype>(2, left / sharing));
        left -= shown[index];
        --sharing;
    }
    QStringList summary;
    for (std::size_t index = 0; index < paragraphs.size(); ++index) {
        QStringList kept = paragraphs[index].mid(0, shown[index]);
        if (kept.size() < paragraphs[index].size()) {
            kept << QStringLiteral("……（全部见详细信息）");
        }
        summary << kept.join(u'\n');
    }
    return summary.join(kParagraphBreak);
}

}  // namespace kalvor::results
