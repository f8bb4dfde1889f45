#include "platform/shared_library.h"

#include <dlfcn.h>

namespace kalvor::platform {

void* LoadSharedLibrary(const char* name) {
    // Its symbols stay its own, so that nothing it brings stands in for a function of ours.
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

void* FindInSharedLibrary(void* library, const char* symbol) {
    return dlsym(library, symbol);
}

}  // namespace kalvor::platform
