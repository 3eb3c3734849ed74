#include "framework/module_path_win32.h"

#include <windows.h>

#include <vector>

#include "framework/wide_win32.h"

std::string ModulePath() {
    std::vector<wchar_t> buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) return fw::Narrow(std::wstring_view(buffer.data(), length));
        buffer.assign(buffer.size() * 2, L'\0');
    }
}
