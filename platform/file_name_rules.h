#pragma once

namespace kalvor::platform {

// Whether the system compares file names without regard to case, so that two paths differing
// only in case name the same file (Windows).
bool FileNamesIgnoreCase();

// Whether the pattern "*.*" matches every file name, with a dot or without (Windows); elsewhere it
// matches only names that hold a dot.
bool StarDotStarMatchesEveryName();

// Whether a file name may hold what breaks a line of text apart, or a backslash that is no
// separator (POSIX); Windows names hold no control characters, and the backslash separates.
bool FileNamesMayHoldLineBreaks();

}  // namespace kalvor::platform
