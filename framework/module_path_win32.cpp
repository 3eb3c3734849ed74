#include "framework/module_path_win32.h"

#include <windows.h>

#include <vector>

std::string ModulePath() {
    std::vector<char> buffer(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.assign(buffer.size() * 2, '\0');
    }
}
