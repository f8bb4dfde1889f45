#include "scan/formats/package_libraries.h"

#include <cstring>

#include "platform/shared_library.h"

namespace kalvor::scan {

namespace {

// The function `name` of `library` into `function`; false when the library has none.
template <typename Function>
bool Resolve(void* library, const char* name, Function& function) {
    void* const found = platform::FindInSharedLibrary(library, name);
    static_assert(sizeof(found) == sizeof(function));
    std::memcpy(&function, &found, sizeof(function));
    return found != nullptr;
}

}  // namespace

PackageLibraryNames BuiltWithPackageLibraries() {
    return {.zip = KALVOR_LIBZIP_SONAME, .expat = KALVOR_EXPAT_SONAME};
}

std::optional<PackageLibraries> LoadPackageLibraries(PackageLibraryNames names) {
    void* const zip = platform::LoadSharedLibrary(names.zip);
    void* const expat = platform::LoadSharedLibrary(names.expat);
    if (zip == nullptr || expat == nullptr) {
        return std::nullopt;
    }
    PackageLibraries loaded;
    bool complete = true;
#define KALVOR_FROM_ZIP(name) complete = Resolve(zip, #name, loaded.name) && complete;
#define KALVOR_FROM_EXPAT(name) complete = Resolve(expat, #name, loaded.name) && complete;
    KALVOR_LIBZIP_FUNCTIONS(KALVOR_FROM_ZIP)
    KALVOR_EXPAT_FUNCTIONS(KALVOR_FROM_EXPAT)
#undef KALVOR_FROM_ZIP
#undef KALVOR_FROM_EXPAT
    return complete ? std::optional(loaded) : std::nullopt;
}

const PackageLibraries* LoadedPackageLibraries() {
    static const std::optional<PackageLibraries> loaded =
        LoadPackageLibraries(BuiltWithPackageLibraries());
    return loaded.has_value() ? &*loaded : nullptr;
}

const PackageLibraries& PackageLibrary() {
    return *LoadedPackageLibraries();
}

}  // namespace kalvor::scan
