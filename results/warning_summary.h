#pragma once

#include <QString>

namespace kalvor::results {

// The part of a warning that fits a message box `lines` lines high, the rest going under the box's
// details. A warning of several paragraphs (parted by an empty line) keeps the head of each, the
// short ones whole, so that no part is hidden behind a long list before it; a paragraph cut short
// ends in a line that points to the details. The text itself when it fits.
QString WarningSummary(const QString& text, qsizetype lines);

}  // namespace kalvor::results
