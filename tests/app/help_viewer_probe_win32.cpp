// Stands in for the help viewer in the program's folder: when any process
// loads it, it leaves "<its own path>.loaded" beside itself.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameA(instance, path, MAX_PATH - 8);
        ::lstrcpyA(path + length, ".loaded");
        const HANDLE marker = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (marker != INVALID_HANDLE_VALUE) ::CloseHandle(marker);
    }
    return TRUE;
}
