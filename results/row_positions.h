#pragma once

#include <optional>
#include <vector>

namespace kalvor::results {

// Where the list's rows go when some of them leave. Plain C++, so that these rules stay the same
// whatever toolkit shows the list; every `rows` here is a list of row positions.

// Neighbouring rows, the first and the last included.
struct RowRun {
    int first;
    int last;
};

// `rows` (rising) as runs of neighbours, top to bottom.
std::vector<RowRun> RunsOf(const std::vector<int>& rows);

// `rows` rising, each once.
std::vector<int> SortedUnique(std::vector<int> rows);

// Where `rows` (rising) stand once `removed` (rising, none of `rows`) have left.
std::vector<int> PositionsAfterRemoval(const std::vector<int>& rows,
                                       const std::vector<int>& removed);

// Where the current row goes once `removed` (rising) have left, `rowsLeft` rows remaining: where
// the rows moved it or, when it left itself, to the row above it (the top row when it was the
// top). Nothing when there was no current row or no row is left.
std::optional<int> CurrentRowAfterRemoval(int current, const std::vector<int>& removed,
                                          int rowsLeft);

}  // namespace kalvor::results
