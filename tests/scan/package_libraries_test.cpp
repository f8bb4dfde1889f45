#include "scan/formats/package_libraries.h"

#include <gtest/gtest.h>

#include <optional>

namespace kalvor::scan {
namespace {

// The libraries load whole or not at all, so no package is ever read with a function missing.
TEST(PackageLibraries, LoadWithEveryFunctionOrNotAtAll) {
    const PackageLibraryNames built = BuiltWithPackageLibraries();
    struct Case {
        const char* name;
        PackageLibraryNames names;
        bool loads;
    };
    const Case cases[] = {
        {"the libraries built with", built, true},
        {"one the system does not have",
         {.zip = "libkalvor-none.so.0", .expat = built.expat},
         false},
        {"one without the functions asked of it", {.zip = built.zip, .expat = built.zip}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<PackageLibraries> loaded = LoadPackageLibraries(c.names);
        ASSERT_EQ(loaded.has_value(), c.loads);
        if (loaded.has_value()) {
            EXPECT_NE(loaded->zip_open_from_source, nullptr);
            EXPECT_NE(loaded->XML_ParserCreate_MM, nullptr);
        }
    }
    EXPECT_NE(LoadedPackageLibraries(), nullptr);
}

}  // namespace
}  // namespace kalvor::scan
