// Drives the real program through whole wallpaper changes and times each
// from the "次の画像へ(&N)" command to a complete Vistaloom.bmp:
//   change_driver FOLDER PICTURE PCT RUNS IDLE_SECONDS
// FOLDER holds a copy of Vistaloom.exe and Iconmire.dll; the driver writes
// its settings (the one picture at PCT %, 40 % over the desktop colour,
// rotation every 10 hours), starts it, lets the first change at start-up
// finish, then posts the command RUNS times, one change at a time. Then the
// program rests for IDLE_SECONDS, and the driver closes it. Output lines:
// "changes_begin", "change_ms N" per change, "idle_begin", "idle_end", each
// as it happens, so that whoever reads them can take the processor time of
// the program's process in between (Wine's GetProcessTimes for another
// process counts only a part of it). With BOSS_KEY=1 in the environment the
// picture is the boss picture instead, and each change is the boss key,
// timed from the key to its complete bitmap at 100 %.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/handles_win32.h"
#include "resources/resource_ids.h"
#include "settings/image_list.h"
#include "settings/settings_file_win32.h"
#include "wallpaper/bitmap_ops.h"

namespace {

constexpr DWORD kTimeoutMs = 120000;

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "change_driver: %s\n", what);
    std::exit(1);
}

// Complete: the whole size is there and the writer has closed the file
// (it writes with no sharing, so a reader gets in only afterwards).
bool Complete(const std::string& path, ULONGLONG bytes) {
    fw::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    return file && ::GetFileSizeEx(file.Get(), &size) && static_cast<ULONGLONG>(size.QuadPart) == bytes;
}

// Waits on the folder's change notifications rather than spinning, so the
// driver leaves the processors to the program; the short time-out only
// catches a notification that came before the wait.
bool WaitForComplete(HANDLE changes, const std::string& path, ULONGLONG bytes) {
    const double deadline = Now() + kTimeoutMs;
    while (!Complete(path, bytes)) {
        if (Now() > deadline) return false;
        if (::WaitForSingleObject(changes, 20) == WAIT_OBJECT_0) ::FindNextChangeNotification(changes);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) Fail("usage: change_driver FOLDER PICTURE PCT RUNS IDLE_SECONDS");
    const std::string folder = argv[1], picturePath = argv[2];
    const bool bossKey = std::getenv("BOSS_KEY") && std::string(std::getenv("BOSS_KEY")) == "1";
    const int pct = bossKey ? 100 : std::atoi(argv[3]), runs = std::atoi(argv[4]), idleSeconds = std::atoi(argv[5]);
    const int width = std::atoi(std::getenv("PICTURE_WIDTH") ? std::getenv("PICTURE_WIDTH") : "6000");
    const int height = std::atoi(std::getenv("PICTURE_HEIGHT") ? std::getenv("PICTURE_HEIGHT") : "4000");
    const BitmapSize size = ScaledSize(width, height, static_cast<std::uint32_t>(pct));
    const ULONGLONG bytes = 54 + static_cast<ULONGLONG>(size.width) * static_cast<ULONGLONG>(size.height) * 4;
    const std::string bitmap = folder + "\\Vistaloom.bmp";

    AppSettings settings;
    settings.intervalUnit = 0;  // hours: no tick comes between the commands
    settings.intervalValue = 10;
    if (bossKey) {
        settings.bossPicturePath = picturePath;
        settings.rotationEnabled = 0;
    } else {
        AppendPicture(settings.imageList, picturePath);
        settings.imageList.back().magnification = pct;
        settings.imageList.back().transparency = 40;
    }
    if (!SaveSettings(settings, folder)) Fail("cannot write the settings");
    ::DeleteFileA(bitmap.c_str());

    fw::UniqueHandle changes(::FindFirstChangeNotificationA(
        folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE));
    if (!changes) Fail("no change notifications for the folder");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::string command = "\"" + folder + "\\Vistaloom.exe\"";
    if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &info)) {
        Fail("cannot start Vistaloom.exe");
    }
    fw::UniqueHandle process(info.hProcess), thread(info.hThread);

    HWND frame = nullptr;
    for (const double deadline = Now() + kTimeoutMs; !frame && Now() < deadline; ::Sleep(10)) {
        frame = ::FindWindowA("VistaloomMainFrame", nullptr);
    }
    // The boss key's first show, unmeasured: the program is up and its picture ready.
    if (frame && bossKey) ::PostMessageW(frame, WM_HOTKEY, 256, 0);
    if (!frame || !WaitForComplete(changes.Get(), bitmap, bytes)) {
        ::TerminateProcess(process.Get(), 1);
        Fail("the first change did not come");
    }
    // Start-up may ask for more than one change, and the desktop repaints
    // after each: the timed changes begin on a quiet program.
    ::Sleep(2000);
    std::printf("changes_begin\n");
    std::fflush(stdout);
    for (int run = 0; run < runs; ++run) {
        // The previous show has let go of the file once it can be removed.
        for (const double deadline = Now() + kTimeoutMs; !::DeleteFileA(bitmap.c_str()) && Now() < deadline;) {
            ::Sleep(5);
        }
        const double start = Now();
        if (bossKey) {
            ::PostMessageW(frame, WM_HOTKEY, 256, 0);
        } else {
            ::PostMessageW(frame, WM_COMMAND, ID_NEXT_PICTURE, 0);
        }
        if (!WaitForComplete(changes.Get(), bitmap, bytes)) {
            ::TerminateProcess(process.Get(), 1);
            Fail("a change did not complete");
        }
        std::printf("change_ms %.1f\n", Now() - start);
        std::fflush(stdout);
        // Let the show, the worker and the desktop's repaint end before the
        // next command: each change is timed alone.
        ::Sleep(1000);
    }
    std::printf("idle_begin\n");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(idleSeconds) * 1000);
    std::printf("idle_end\n");
    std::fflush(stdout);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.Get(), kTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.Get(), 1);
        Fail("Vistaloom did not end");
    }
    return 0;
}
