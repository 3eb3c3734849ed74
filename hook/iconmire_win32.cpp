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

// Room for more than the 255 characters an atom holds, so that a longer
// text is refused whole rather than cut to fit.
constexpr int kTextUnits = 260;

namespace p = list_view_protocol;

// Every answer of the protocol is a 32-bit value.
LRESULT Answer(LONG value) { return static_cast<LRESULT>(value); }

LRESULT CALLBACK DesktopListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Puts the own procedure back on exactly the window that got ours, which is
// not always the one a lookup finds now (the shell may have made another).
LONG_PTR RemoveListViewSubclass() {
    const LONG_PTR result =
        ::SetWindowLongPtrW(subclassedWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedListViewProc));
    savedListViewProc = nullptr;
    subclassedWindow = nullptr;
    return result;
}

void InstallListViewSubclass(HWND window) {
    savedListViewProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(window, GWLP_WNDPROC));
    if (savedListViewProc &&
        !::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DesktopListViewProc))) {
        savedListViewProc = nullptr;
    }
    subclassedWindow = savedListViewProc ? window : nullptr;
}

LRESULT ItemPosition(HWND window, WPARAM index, bool wantY) {
    POINT point{};
    if (!::CallWindowProcW(savedListViewProc, window, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&point))) {
        return Answer(-1);
    }
    return Answer(wantY ? point.y : point.x);
}

// The item's text in a global atom: the atom table holds UTF-16 names, so
// every name arrives as it is, whatever the code pages of the two processes.
LRESULT TextAtom(HWND window, WPARAM index) {
    wchar_t text[kTextUnits] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(index);
    item.pszText = text;
    item.cchTextMax = kTextUnits;
    if (!::SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
    text[kTextUnits - 1] = L'\0';
    return Answer(::GlobalAddAtomW(text));  // 0 for a text over 255 UTF-16 units
}

// The sort gathers what it needs into memory: if that runs out, the request
// fails and the shell goes on.
LRESULT SortItems(HWND window, WPARAM kind) {
    try {
        CollectDesktopItems();
        SetSortedListView(window);
        ::SendMessageW(window, LVM_SORTITEMSEX, kind, reinterpret_cast<LPARAM>(&CompareDesktopItems));
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
        ::SendMessageW(window, LVM_GETITEMRECT, wParam, reinterpret_cast<LPARAM>(&bounds));
        return Answer(bounds.right - bounds.left);
    }
    if (message == p::kGetItemPosX) return ItemPosition(window, wParam, false);
    if (message == p::kGetItemPosY) return ItemPosition(window, wParam, true);
    if (message == p::kSortItems) return SortItems(window, wParam);
    if (message == p::kGetLParam) {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = static_cast<int>(wParam);
        ::SendMessageW(window, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        return Answer(static_cast<LONG>(item.lParam));
    }
    if (message == p::kGetText) return TextAtom(window, wParam);
    if (message == p::kSetWindowLong) {
        // The style of the list view this procedure subclasses, and only
        // the style: no other process may replace its procedure or data
        // through the shell's own hands.
        if (static_cast<int>(wParam) != GWL_STYLE) return 0;
        return Answer(::SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(lParam)));
    }
    if (message == WM_DESTROY) {
        const WNDPROC own = savedListViewProc;
        RemoveListViewSubclass();
        return ::CallWindowProcW(own, window, message, wParam, lParam);
    }
    return ::CallWindowProcW(savedListViewProc, window, message, wParam, lParam);
}

// Runs in the shell's process: nothing may leave it, or the shell ends.
LRESULT CALLBACK DesktopListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Reached only through a procedure someone else put on top of ours.
    if (!savedListViewProc) return ::DefWindowProcW(window, message, wParam, lParam);
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
    hookHandle = ::SetWindowsHookExW(WH_GETMESSAGE, &SubclassHookProc, moduleInstance, thread);
    // Without the hook nothing would take the request: say so.
    if (!hookHandle) return FALSE;
    return ::PostThreadMessageW(thread, p::kSubclass, 0, 0);
}

BOOL EndSubclassDesktopListView() {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(GetDesktopListView(), p::kUnsubclass, 0, 0, SMTO_ABORTIFHUNG, kUnsubclassTimeoutMs,
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
