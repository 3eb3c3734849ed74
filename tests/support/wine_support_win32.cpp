#include "tests/support/wine_support_win32.h"

#include <tlhelp32.h>

#include <atomic>
#include <iterator>
#include <vector>

#include "framework/handles_win32.h"
#include "framework/long_path_win32.h"
#include "framework/wide_win32.h"

namespace wine_test {

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= deadline) return false;
        ::Sleep(10);
    }
}

std::string BuildFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::string folder = fw::Narrow(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

// Shared for deleting too: a program that replaces the file while a test
// polls it must not fail because of the test.
std::string ReadFileBytes(const std::string& path) {
    const fw::UniqueHandle file(::CreateFileW(fw::LongPath(path).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes;
    if (!file) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    const fw::UniqueHandle file(::CreateFileW(fw::LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool FileExists(const std::string& path) {
    return ::GetFileAttributesW(fw::LongPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAW found;
    HANDLE find = ::FindFirstFileW(fw::LongPath(path + "\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = fw::Narrow(found.cFileName);
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            ::SetFileAttributesW(fw::LongPath(child).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::DeleteFileW(fw::LongPath(child).c_str());
            }
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::SetFileAttributesW(fw::LongPath(path).c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryW(fw::LongPath(path).c_str());
}

}  // namespace

TempFolder::TempFolder(const std::string& name) {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::string root = fw::Narrow(temp) + "vistaloom-tests";
    ::CreateDirectoryW(fw::Wide(root).c_str(), nullptr);
    path_ = root + "\\" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-" + name;
    RemoveTree(path_);
    ::CreateDirectoryW(fw::Wide(path_).c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

ChildProcess::~ChildProcess() {
    Terminate();
    if (info_.hProcess) ::CloseHandle(info_.hProcess);
    if (info_.hThread) ::CloseHandle(info_.hThread);
}

namespace {

bool StartProcess(const std::string& exePath, const std::string& currentDirectory, const std::string& arguments,
                  DWORD flags, PROCESS_INFORMATION& info) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = fw::Wide("\"" + exePath + "\"" + (arguments.empty() ? "" : " " + arguments));
    return ::CreateProcessW(fw::Wide(exePath).c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                            nullptr, fw::Wide(currentDirectory).c_str(), &startup, &info) != FALSE;
}

}  // namespace

bool ChildProcess::Start(const std::string& exePath, const std::string& currentDirectory,
                         const std::string& arguments) {
    return StartProcess(exePath, currentDirectory, arguments, 0, info_);
}

bool ChildProcess::StartHeld(const std::string& exePath, const std::string& currentDirectory) {
    return StartProcess(exePath, currentDirectory, "", CREATE_SUSPENDED, info_);
}

bool ChildProcess::Running() const {
    return info_.hProcess && ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::WaitForExit(DWORD timeoutMs) {
    if (!info_.hProcess || ::WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    ::GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void ChildProcess::Terminate() {
    if (Running()) {
        ::TerminateProcess(info_.hProcess, 99);
        ::WaitForSingleObject(info_.hProcess, kTimeoutMs);
    }
}

namespace {

struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId) return TRUE;
    wchar_t className[256] = {};
    ::GetClassNameW(window, className, std::size(className));
    if (lstrcmpiW(className, fw::Wide(query->className).c_str()) != 0) return TRUE;
    if (query->title && WindowText(window) != query->title) return TRUE;
    query->found = window;
    return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD processId, const char* className, const char* title) {
    WindowQuery query{processId, className, title, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForProcessWindow(DWORD processId, const char* className, const char* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindProcessWindow(processId, className, title)) != nullptr; }, timeoutMs);
    return found;
}

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    HWND found = nullptr;
    // A message box is a dialog with its text in the static control 0xFFFF.
    // Its window can exist, and even show, before that text is set.
    const bool shown = WaitFor([&] {
        found = FindProcessWindow(processId, "#32770");
        return found && ::IsWindowVisible(found) && !MessageBoxText(found).empty();
    }, timeoutMs);
    return shown ? found : nullptr;
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(window, text.data(), length + 1);
    return fw::Narrow(std::wstring_view(text.data(), static_cast<size_t>(got > 0 ? got : 0)));
}

std::string MessageBoxText(HWND messageBox) { return WindowText(::GetDlgItem(messageBox, 0xFFFF)); }

void PressButton(HWND dialog, int id) {
    ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

int ProgramThreadsBesideMain(DWORD processId, DWORD mainThreadId) {
    MODULEENTRY32 image{};
    image.dwSize = sizeof(image);
    const HANDLE modules = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (modules == INVALID_HANDLE_VALUE) return -1;
    const bool found = ::Module32First(modules, &image);  // the program file comes first
    ::CloseHandle(modules);
    if (!found) return -1;
    using QueryThread = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryThread>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationThread")));
    constexpr int kStartAddress = 9;  // ThreadQuerySetWin32StartAddress
    const auto* begin = image.modBaseAddr;
    const auto* end = begin + image.modBaseSize;
    int count = 0;
    const HANDLE threads = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (bool more = ::Thread32First(threads, &entry); more; more = ::Thread32Next(threads, &entry)) {
        if (entry.th32OwnerProcessID != processId || entry.th32ThreadID == mainThreadId) continue;
        const HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        void* start = nullptr;
        if (thread && query(thread, kStartAddress, &start, sizeof(start), nullptr) >= 0 &&
            static_cast<const BYTE*>(start) >= begin && static_cast<const BYTE*>(start) < end) {
            ++count;
        }
        if (thread) ::CloseHandle(thread);
    }
    ::CloseHandle(threads);
    return count;
}

UINT ScreenDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

int SmallIconSideAtScreenDpi() { return static_cast<int>(ScreenDpi()) / 6; }

int IconSide(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    ::GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

std::vector<COLORREF> ScreenPixels(const RECT& area) {
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    const HDC screen = ::GetDC(nullptr);
    const HDC memory = ::CreateCompatibleDC(screen);
    const HBITMAP section = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(memory, section);
    ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    std::vector<COLORREF> pixels(static_cast<size_t>(width) * height);
    const auto* p = static_cast<const DWORD*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = RGB(p[i] >> 16 & 0xFF, p[i] >> 8 & 0xFF, p[i] & 0xFF);
    ::SelectObject(memory, previous);
    ::DeleteObject(section);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

TrayState ReadTrayState() {
    RECT area{};
    if (!::GetWindowRect(::FindWindowW(L"Shell_TrayWnd", nullptr), &area)) return TrayState::None;
    // The notification area at the right end, inside the taskbar's frame.
    area.left = area.right - (area.right - area.left) / 4;
    area.top += 2;
    area.bottom -= 2;
    int sky = 0, greyFrame = 0, greySky = 0;
    for (const COLORREF c : ScreenPixels(area)) {
        const int r = GetRValue(c), g = GetGValue(c), b = GetBValue(c);
        sky += b > 200 && g > 150 && r < 160;
        const bool grey = r == g && g == b;
        greyFrame += grey && r >= 30 && r <= 80;
        greySky += grey && r >= 170 && r <= 205;
    }
    if (sky > 5) return TrayState::Enabled;
    return greyFrame > 5 && greySky > 5 ? TrayState::Disabled : TrayState::None;
}

}  // namespace wine_test
