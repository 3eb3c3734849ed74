// Functions of system libraries that a system may lack: looked up when first
// needed, so that the program still runs where they are missing.
#pragma once

#include <windows.h>

namespace fw {

// The library: as the process has loaded it already (the common controls of
// the manifest's version), or else from the system folder only, never from
// the program's folder, where anyone who may write there could put one of
// that name. Null when it cannot be loaded.
HMODULE SystemLibrary(const char* name);

// A function of such a library, or null.
template <class Function>
Function SystemFunction(const char* library, const char* name) {
    const HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace fw
