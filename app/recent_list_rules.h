#pragma once

#include <algorithm>
#include <cstddef>

namespace kalvor::app {

// The recent-file list's own rule, in plain C++ so that it stays whatever toolkit keeps the list:
// `entry` goes to the top of `entries` (most recent first), an entry that `same` says names the
// same file leaves, and the oldest fall off beyond `capacity`.
template <class List, class Entry, class Same>
void PutOnTop(List& entries, const Entry& entry, std::size_t capacity, Same same) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& listed) { return same(listed, entry); }),
                  entries.end());
    entries.insert(entries.begin(), entry);
    if (static_cast<std::size_t>(entries.size()) > capacity) {
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(capacity), entries.end());
    }
}

}  // namespace kalvor::app
