#pragma once

#include <Qt>
#include <array>
#include <cstddef>

namespace kalvor::results {

struct ResultColumn {
    const char16_t* header;  // one space each side belongs to the text
    Qt::Alignment alignment;
    int width;  // pixels at the standard resolution
};

// The five columns the list always shows and its export writes under their own titles.
inline constexpr std::array<ResultColumn, 5> kResultColumns{{
    {u" 序号 ", Qt::AlignLeft | Qt::AlignVCenter, 80},
    {u" 文件名 ", Qt::AlignLeft | Qt::AlignVCenter, 500},
    {u" 文件大小(字节) ", Qt::AlignRight | Qt::AlignVCenter, 120},
    {u" 创建时间 ", Qt::AlignCenter, 140},
    {u" 修改时间 ", Qt::AlignCenter, 140},
}};

// The row's grade, after them, shown only when the user asks for it; the export writes the grade
// in its own cells, so it is no column of the export's.
inline constexpr ResultColumn kGradeColumnLook{u" 判断 ", Qt::AlignCenter, 60};

inline constexpr int kNumberColumn = 0;
inline constexpr int kPathColumn = 1;
inline constexpr int kGradeColumn = static_cast<int>(kResultColumns.size());
inline constexpr int kColumnCount = kGradeColumn + 1;

// The look of column `column`, 0 <= column < kColumnCount.
constexpr const ResultColumn& ColumnAt(int column) {
    return column == kGradeColumn ? kGradeColumnLook
                                  : kResultColumns[static_cast<std::size_t>(column)];
}

}  // namespace kalvor::results
