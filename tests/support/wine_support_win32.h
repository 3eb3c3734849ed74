// What the Wine tests share: temporary program folders, child processes
// that never outlive their test, waits with timeouts, and reading and
// pressing message boxes of another process.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wine_test {

// Generous: a cold Wine start can take seconds on a loaded machine.
constexpr DWORD kTimeoutMs = 30000;

// Polls the condition until it holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = kTimeoutMs);

// Folder of the running test program, where the build puts Vistaloom.exe.
std::string BuildFolder();

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// A fresh folder under %TEMP%, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string& name = "folder");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// A program started by a test; terminated at the end of the test if it is
// still running, so that no process outlives it.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const std::string& exePath, const std::string& currentDirectory, const std::string& arguments = "");
    // Started with its first thread held until Resume: several programs
    // can then be let go at the same moment.
    bool StartHeld(const std::string& exePath, const std::string& currentDirectory);
    void Resume() const { ::ResumeThread(info_.hThread); }
    DWORD Id() const { return info_.dwProcessId; }
    DWORD MainThreadId() const { return info_.dwThreadId; }
    bool Running() const;
    // The exit code, or nothing when the process still runs after the timeout.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs = kTimeoutMs);
    void Terminate();

private:
    PROCESS_INFORMATION info_{};
};

// A top-level window of the process with that class (any title if null).
HWND FindProcessWindow(DWORD processId, const char* className, const char* title = nullptr);
HWND WaitForProcessWindow(DWORD processId, const char* className, const char* title = nullptr,
                          DWORD timeoutMs = kTimeoutMs);

// The next message box of the process, and its caption and text.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs = kTimeoutMs);
std::string WindowText(HWND window);
std::string MessageBoxText(HWND messageBox);
// Clicks a button of a dialog of another process, as a user would.
void PressButton(HWND dialog, int id);

// The threads of the process, besides its main thread, that began in the
// program's own image: its wallpaper workers and their helpers, not the
// system's pool threads.
int ProgramThreadsBesideMain(DWORD processId, DWORD mainThreadId);

// The screen's DPI, and the side of Windows' small icons at it: 16 pixels
// at 96 DPI, 24 at 144.
UINT ScreenDpi();
int SmallIconSideAtScreenDpi();
// The width of an icon's bitmap; 0 for no icon.
int IconSide(HICON icon);

// What the screen shows in a rectangle, as colour references by row.
std::vector<COLORREF> ScreenPixels(const RECT& area);

// The taskbar's notification area as the program's tray icons draw it: the
// enabled icon has sky-blue pixels, the disabled one only greys.
enum class TrayState { Enabled, Disabled, None };
TrayState ReadTrayState();

}  // namespace wine_test
