#pragma once

#include <QString>
#include <span>

namespace kalvor::res {

struct StringRow {
    unsigned id;
    const char16_t* text;
};

// Every row of the string table, in identifier order.
std::span<const StringRow> StringTable();

// The text of row `id`; empty when the table has no such row.
QString LoadString(unsigned id);

// A command's status-bar prompt: its row up to the first line break.
QString PromptOf(unsigned id);

// A command's tooltip: its row after the first line break; empty when the row has none.
QString TooltipOf(unsigned id);

// Field `index` of the document-template string (row 128): 0 window title, 1 document name,
// 2 type name, 3 filter name, 4 filter extension, 5 file-type identifier, 6 file-type name.
QString DocTemplateField(int index);

}  // namespace kalvor::res
