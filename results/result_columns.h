#pragma once

#include <Qt>
#include <array>

namespace kalvor::results {

struct ResultColumn {
    const char16_t* header;  // one space each side belongs to the text
    Qt::Alignment alignment;
    int width;  // pixels at the standard resolution
};

inline constexpr std::array<ResultColumn, 5> kResultColumns{{
    {u" 序号 ", Qt::AlignLeft | Qt::AlignVCenter, 80},
    {u" 文件名 ", Qt::AlignLeft | Qt::AlignVCenter, 500},
    {u" 文件大小(字节) ", Qt::AlignRight | Qt::AlignVCenter, 120},
    {u" 创建时间 ", Qt::AlignCenter, 140},
    {u" 修改时间 ", Qt::AlignCenter, 140},
}};

inline constexpr int kNumberColumn = 0;
inline constexpr int kPathColumn = 1;

}  // namespace kalvor::results
