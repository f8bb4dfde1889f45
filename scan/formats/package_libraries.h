#pragma once

#include <expat.h>
#include <zip.h>

#include <optional>

namespace kalvor::scan {

// The functions of libzip and expat that packages are read with.
// clang-format off
#define KALVOR_LIBZIP_FUNCTIONS(X)                                                   \
    X(zip_discard) X(zip_error_code_zip) X(zip_error_fini) X(zip_error_init)         \
    X(zip_error_set) X(zip_error_to_data) X(zip_fclose) X(zip_file_get_error)        \
    X(zip_fopen_index) X(zip_fread) X(zip_get_error) X(zip_get_name)                 \
    X(zip_get_num_entries) X(zip_open_from_source) X(zip_source_free)                \
    X(zip_source_function_create) X(zip_source_seek_compute_offset) X(zip_stat_init)
#define KALVOR_EXPAT_FUNCTIONS(X)                                                    \
    X(XML_GetBuffer) X(XML_GetErrorCode) X(XML_ParseBuffer) X(XML_ParserCreate_MM)   \
    X(XML_ParserFree) X(XML_ParserReset) X(XML_SetCharacterDataHandler)              \
    X(XML_SetElementHandler) X(XML_SetParamEntityParsing)                            \
    X(XML_SetStartDoctypeDeclHandler) X(XML_SetUserData) X(XML_StopParser)
// clang-format on

// libzip (with the cryptography library it brings) and expat are loaded the first time a search
// meets a Word 2007+ package, not when the program starts: loading them is a good part of what
// starting costs, and a search of Word 97-2003 documents, the default, never needs them.
struct PackageLibraries {
#define KALVOR_FUNCTION_POINTER(name) decltype(&::name) name = nullptr;
    KALVOR_LIBZIP_FUNCTIONS(KALVOR_FUNCTION_POINTER)
    KALVOR_EXPAT_FUNCTIONS(KALVOR_FUNCTION_POINTER)
#undef KALVOR_FUNCTION_POINTER
};

// The names the system's loader knows the two libraries by.
struct PackageLibraryNames {
    const char* zip;
    const char* expat;
};

// The names of the libraries this program was built with.
PackageLibraryNames BuiltWithPackageLibraries();

// The libraries of those names; nothing when one cannot be loaded or lacks a function.
std::optional<PackageLibraries> LoadPackageLibraries(PackageLibraryNames names);

// The libraries this program was built with, loaded on the first call; null when the system
// cannot load them.
const PackageLibraries* LoadedPackageLibraries();

// The libraries once LoadedPackageLibraries() has given them.
const PackageLibraries& PackageLibrary();

}  // namespace kalvor::scan
