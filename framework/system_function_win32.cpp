#include "framework/system_function_win32.h"

#include <string>
#include <vector>

#include "framework/wide_win32.h"

namespace fw {

HMODULE SystemLibrary(const char* name) {
    const std::wstring library = Wide(name);
    if (const HMODULE loaded = ::GetModuleHandleW(library.c_str())) return loaded;
    std::vector<wchar_t> system(MAX_PATH, L'\0');
    UINT length = ::GetSystemDirectoryW(system.data(), static_cast<UINT>(system.size()));
    if (length >= system.size()) {
        system.assign(length + 1, L'\0');
        length = ::GetSystemDirectoryW(system.data(), static_cast<UINT>(system.size()));
    }
    if (length == 0 || length >= system.size()) return nullptr;
    const std::wstring path = std::wstring(system.data(), length) + L"\\" + library;
    // Its own imports come from the system folder too.
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace fw
