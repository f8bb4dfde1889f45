#pragma once

namespace kalvor::platform {

// A shared library the system's loader finds by `name`, the name it knows it by (a soname such as
// "libzip.so.4"), loaded for the rest of the program: what it gives may be in use until the
// program ends, so it is never unloaded. Null when the system cannot load it.
void* LoadSharedLibrary(const char* name);

// The address of `symbol` in a library LoadSharedLibrary gave; null when it has none.
void* FindInSharedLibrary(void* library, const char* symbol);

}  // namespace kalvor::platform
