#include "scan/extension_match.h"

namespace kalvor::scan {

namespace {

// `a` in the file system's characters (bytes here, UTF-16 units on Windows), `b` in ASCII.
template <typename Char>
bool EqualIgnoringAsciiCase(std::basic_string_view<Char> a, std::string_view b) {
    const auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(static_cast<Char>(b[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool MatchesExtension(platform::NativeName name, std::string_view extension) {
    const std::size_t dot = name.rfind('.');
    return EqualIgnoringAsciiCase(dot == name.npos ? name : name.substr(dot), extension);
}

bool SameExtension(std::string_view a, std::string_view b) {
    return EqualIgnoringAsciiCase(a, b);
}

}  // namespace kalvor::scan
