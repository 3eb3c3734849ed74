#define ICONMIRE_BUILD
#include "hook/iconmire_win32.h"

#include <commctrl.h>

#include "framework/callback_guard.h"
#include "hook/desktop_items_win32.h"
#include "hook/desktop_lookup_win32.h"
#include "hook/list_view_protocol.h"

namespace {

// Each process that loads the library has its own copy of these. The hook
// handle lives in the program's copy, the subclassed window and its own
// procedure in the shell's.
HINSTANCE moduleInstance = nullptr;
HHOOK hookHandle = nullptr;
HWND subclassedWindow = nullptr;
WNDPROC savedListViewProc = nullptr;

// A shell that takes longer than this to put its own procedure back is not
// waited for: the library's detach puts it back if the shell unloads it.
constexpr UINT kUnsubclassTimeoutMs = 5000;

namespace p = list_view_protocol;

// Every answer of the protocol is a 32-bit value.
LRESULT Answer(LONG value) { return static_cast<LRESULT>(value); }

LRESULT CALLBACK DesktopListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Puts the own procedure back on exactly the window that got ours, which is
// not always the one a lookup finds now (the shell may have made another).
LONG_PTR RemoveListViewSubclass() {
    const LONG_PTR result =
        ::SetWindowLongPtrA(subclassedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedListViewProc));
    savedListViewProc = nullptr;
    subclassedWindow = nullptr;
    return result;
}

void InstallListViewSubclass(HWND window) {
    savedListViewProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (savedListViewProc &&
        !::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DesktopListViewProc))) {
        savedListViewProc = nullptr;
    }
    subclassedWindow = savedListViewProc ? window : nullptr;
}

LRESULT ItemPosition(HWND window, WPARAM index, bool wantY) {
    POINT point{};
    if (!::CallWindowProcA(savedListViewProc, window, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&point))) {
        return Answer(-1);
    }
    return Answer(wantY ? point.y : point.x);
}

// The sort gathers what it needs into memory: if that runs out, the request
// fails and the shell goes on.
LRESULT SortItems(HWND window, WPARAM kind) {
    try {
        CollectDesktopItems();
        SetSortedListView(window);
        ::SendMessageA(window, LVM_SORTITEMSEX, kind, reinterpret_cast<LPARAM>(&CompareDesktopItems));
    } catch (...) {
    }
    ClearDesktopItems();
    return 0;
}

LRESULT HandleListViewMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == p::kUnsubclass) {
        RemoveListViewSubclass();
        return 1;
    }
    if (message == p::kGetItemWidth) {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        ::SendMessageA(window, LVM_GETITEMRECT, wParam, reinterpret_cast<LPARAM>(&bounds));
        return Answer(bounds.right - bounds.left);
    }
    if (message == p::kGetItemPosX) return ItemPosition(window, wParam, false);
    if (message == p::kGetItemPosY) return ItemPosition(window, wParam, true);
    if (message == p::kSortItems) return SortItems(window, wParam);
    if (message == p::kGetLParam) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = static_cast<int>(wParam);
        ::SendMessageA(window, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return Answer(static_cast<LONG>(item.lParam));
    }
    if (message == p::kGetText) {
        char text[260] = {};
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(wParam);
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        if (!::SendMessageA(window, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return 0;
        text[sizeof(text) - 1] = '\0';
        return Answer(::GlobalAddAtomA(text));  // 0 for a text over 255 bytes
    }
    if (message == p::kSetWindowLong) {
        // Only the style: no other process may replace this window's
        // procedure or data through the shell's own hands.
        if (static_cast<int>(wParam) != GWL_STYLE) return 0;
        return Answer(::SetWindowLongA(GetDesktopListView(), GWL_STYLE, static_cast<LONG>(lParam)));
    }
    if (message == WM_DESTROY) {
        const WNDPROC own = savedListViewProc;
        RemoveListViewSubclass();
        return ::CallWindowProcA(own, window, message, wParam, lParam);
    }
    return ::CallWindowProcA(savedListViewProc, window, message, wParam, lParam);
}

// Runs in the shell's process: nothing may leave it, or the shell ends.
LRESULT CALLBACK DesktopListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Reached only through a procedure someone else put on top of ours.
    if (!savedListViewProc) return ::DefWindowProcA(window, message, wParam, lParam);
    return GuardedResult(LRESULT{0}, [&] { return HandleListViewMessage(window, message, wParam, lParam); });
}

LRESULT CALLBACK SubclassHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    if (!savedListViewProc && code >= 0 && msg && msg->message == p::kSubclass) {
        InstallListViewSubclass(GetDesktopListView());
    }
    return ::CallNextHookEx(hookHandle, code, wParam, lParam);
}

}  // namespace

HWND GetDesktopListView() { return FindDesktopListView(); }

BOOL BeginSubclassDesktopListView() {
    const HWND listView = GetDesktopListView();
    if (!listView) return FALSE;
    const DWORD thread = ::GetWindowThreadProcessId(listView, nullptr);
    if (hookHandle) ::UnhookWindowsHookEx(hookHandle);  // a bracket left open: never two hooks
    hookHandle = ::SetWindowsHookExA(WH_GETMESSAGE, &SubclassHookProc, moduleInstance, thread);
    // Without the hook nothing would take the request: say so.
    if (!hookHandle) return FALSE;
    return ::PostThreadMessageA(thread, p::kSubclass, 0, 0);
}

BOOL EndSubclassDesktopListView() {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutA(GetDesktopListView(), p::kUnsubclass, 0, 0, SMTO_ABORTIFHUNG, kUnsubclassTimeoutMs,
                          &ignored);
    const BOOL result = ::UnhookWindowsHookEx(hookHandle);
    hookHandle = nullptr;
    return result;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        ::DisableThreadLibraryCalls(instance);
        // The numbers are known from the load on, as every copy needs them.
        for (const fw::RegisteredMessage* message : {&p::kUnsubclass, &p::kSubclass, &p::kGetItemPosY, &p::kGetItemPosX,
                                                     &p::kSortItems, &p::kGetLParam, &p::kGetText, &p::kSetWindowLong,
                                                     &p::kGetItemWidth}) {
            static_cast<void>(static_cast<UINT>(*message));
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        // Put the list view's own procedure back before this code goes away.
        if (savedListViewProc) RemoveListViewSubclass();
        // The program ended inside a bracket: its hook goes with it.
        if (hookHandle) {
            ::UnhookWindowsHookEx(hookHandle);
            hookHandle = nullptr;
        }
    }
    return TRUE;
}
