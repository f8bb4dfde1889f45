#include "results/row_positions.h"

#include <algorithm>

namespace kalvor::results {

std::vector<RowRun> RunsOf(const std::vector<int>& rows) {
    std::vector<RowRun> runs;
    for (const int row : rows) {
        if (!runs.empty() && runs.back().last + 1 == row) {
            runs.back().last = row;
        } else {
            runs.push_back({row, row});
        }
    }
    return runs;
}

std::vector<int> SortedUnique(std::vector<int> rows) {
    std::ranges::sort(rows);
    const auto [first, last] = std::ranges::unique(rows);
    rows.erase(first, last);
    return rows;
}

std::vector<int> PositionsAfterRemoval(const std::vector<int>& rows,
                                       const std::vector<int>& removed) {
    std::vector<int> positions;
    positions.reserve(rows.size());
    auto above = removed.begin();
    for (const int row : rows) {
        above = std::lower_bound(above, removed.end(), row);
        positions.push_back(row - static_cast<int>(above - removed.begin()));
    }
    return positions;
}

std::optional<int> CurrentRowAfterRemoval(int current, const std::vector<int>& removed,
                                          int rowsLeft) {
    if (current < 0 || rowsLeft <= 0) {
        return std::nullopt;
    }
    const auto above = std::ranges::lower_bound(removed, current);
    const bool left = above != removed.end() && *above == current;
    return std::clamp(current - static_cast<int>(above - removed.begin()) - (left ? 1 : 0), 0,
                      rowsLeft - 1);
}

}  // namespace kalvor::results
