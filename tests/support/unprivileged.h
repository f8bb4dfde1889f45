#pragma once

#include <functional>
#include <optional>
#include <string>

namespace kalvor::testing {

// Runs `work` in a child process that gives up root first (for the user "nobody"), so file
// permissions hold for it; root lists and opens whatever it likes. Returns the text `work`
// returned, or nothing when the child could not run it.
std::optional<std::string> RunUnprivileged(const std::function<std::string()>& work);

}  // namespace kalvor::testing
