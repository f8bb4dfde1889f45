#pragma once

#include "results/search_choice.h"

class QSettings;

namespace kalvor::app {

// The window's search choice in the settings section "Search": "Types", the type names
// comma-separated as kalvor-scan's --types takes them, "Match", "default" or "wide", and
// "Include", the documents that cannot be held as kalvor-scan's --include takes them (empty for
// none; anything it does not take counts as none).

// A stored type this build does not read is passed over (a later build may have written it);
// when no type is left, or nothing was stored, Word 97-2003 documents alone.
results::SearchChoice ReadSearchChoice(QSettings& settings);
void WriteSearchChoice(QSettings& settings, const results::SearchChoice& choice);

}  // namespace kalvor::app
