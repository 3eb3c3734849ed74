#include "framework/system_function_win32.h"

#include <string>

namespace fw {

HMODULE SystemLibrary(const char* name) {
    if (const HMODULE loaded = ::GetModuleHandleA(name)) return loaded;
    char system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryA(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::string path = std::string(system) + "\\" + name;
    // Its own imports come from the system folder too.
    return ::LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace fw
