// The fake shell: a desktop hierarchy with a real comctl32 list view, in a
// process of its own, as the shell has. Command line: "progman" (the list
// view under Progman) or "workerw" (under a WorkerW top-level window).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <algorithm>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/fake_shell_protocol.h"

namespace {

constexpr LONG_PTR kUserDataMark = 0x5A5A;

HWND defView = nullptr;
HWND listView = nullptr;
WNDPROC listViewOwnProc = nullptr;  // the procedure the list view had at creation: ours, counting
WNDPROC comctlProc = nullptr;
int textBkSets = 0;
WPARAM lastMark = 0;
LONG_PTR lastColumnWidth = -2;
// The next item to move while the desktop rearranges after a display
// change; -1 when it is not rearranging.
int rearranging = -1;
constexpr UINT_PTR kRearrangeTimer = 1;
constexpr UINT kRearrangeStepMs = 250;
constexpr int kGridStep = 75;

// Wine's list view hands LVM_SORTITEMSEX comparisons indexes that no longer
// name the items being compared once its merge has moved them. The stand-in
// shell sorts as the system's list view does: each index names the item at
// that place before the sort began, and the items are rearranged at the end.
LRESULT SortItemsByIndex(HWND hwnd, WPARAM sortParam, PFNLVCOMPARE compare) {
    const auto count = static_cast<int>(::CallWindowProcW(comctlProc, hwnd, LVM_GETITEMCOUNT, 0, 0));
    std::vector<int> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return compare(a, b, static_cast<LPARAM>(sortParam)) < 0;
    });
    std::vector<std::wstring> texts;
    for (int index : order) {
        wchar_t text[1024] = {};
        LVITEMW item{};
        item.pszText = text;
        item.cchTextMax = 1024;
        ::CallWindowProcW(comctlProc, hwnd, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
        texts.push_back(text);
    }
    ::CallWindowProcW(comctlProc, hwnd, LVM_DELETEALLITEMS, 0, 0);
    for (int i = 0; i < count; ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = i;
        item.pszText = texts[static_cast<size_t>(i)].data();
        ::CallWindowProcW(comctlProc, hwnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    return TRUE;
}

// Wine's list view gives every item the same width; the shell's list view
// sizes each by its text, which is what fitting the column is about.
LRESULT ItemRectByText(HWND hwnd, WPARAM index, RECT* rect) {
    const int part = rect->left;
    if (!::CallWindowProcW(comctlProc, hwnd, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect))) return FALSE;
    if (part != LVIR_BOUNDS) return TRUE;
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.pszText = text;
    item.cchTextMax = 1024;
    const auto length = static_cast<LONG>(::CallWindowProcW(comctlProc, hwnd, LVM_GETITEMTEXTW, index,
                                                            reinterpret_cast<LPARAM>(&item)));
    rect->right = rect->left + 20 + 6 * length;
    return TRUE;
}

LRESULT CALLBACK CountingListViewProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == LVM_SORTITEMSEX) return SortItemsByIndex(hwnd, wParam, reinterpret_cast<PFNLVCOMPARE>(lParam));
    if (message == LVM_GETITEMRECT) return ItemRectByText(hwnd, wParam, reinterpret_cast<RECT*>(lParam));
    if (message == LVM_SETTEXTBKCOLOR) ++textBkSets;
    if (message == LVM_SETCOLUMNWIDTH) lastColumnWidth = lParam;
    return ::CallWindowProcW(comctlProc, hwnd, message, wParam, lParam);
}

void CreateListView() {
    RECT client;
    ::GetClientRect(defView, &client);
    listView = ::CreateWindowExW(0, WC_LISTVIEWW, L"FolderView",
                                 WS_CHILD | WS_VISIBLE | LVS_ICON | LVS_SHAREIMAGELISTS, 0, 0, client.right,
                                 client.bottom, defView, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    comctlProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingListViewProc)));
    listViewOwnProc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(listView, GWLP_WNDPROC));
    ::SetWindowLongPtrW(listView, GWLP_USERDATA, kUserDataMark);
}

void SetItems(const std::wstring& lines) {
    ::SendMessageW(listView, LVM_DELETEALLITEMS, 0, 0);
    std::wistringstream in(lines);
    std::wstring line;
    for (int index = 0; std::getline(in, line); ++index) {
        std::wistringstream fields(line);
        std::wstring text, x, y;
        std::getline(fields, text, L'\t');
        std::getline(fields, x, L'\t');
        std::getline(fields, y, L'\t');
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = text.data();
        ::SendMessageW(listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        POINT point{std::stoi(x), std::stoi(y)};
        ::SendMessageW(listView, LVM_SETITEMPOSITION32, index, reinterpret_cast<LPARAM>(&point));
    }
}

LRESULT Position(WPARAM index, bool wantY) {
    POINT point{};
    if (!::SendMessageW(listView, LVM_GETITEMPOSITION, index, reinterpret_cast<LPARAM>(&point))) return -99999;
    return wantY ? point.y : point.x;
}

LRESULT ItemWidth(WPARAM index) {
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    ::SendMessageW(listView, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&bounds));
    return bounds.right - bounds.left;
}

LRESULT ItemTextAtom(WPARAM index) {
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = 1024;
    ::SendMessageW(listView, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return ::GlobalAddAtomW(text);
}

// A shell thread inside a call that pumps only sent messages: it answers
// what is sent to it but takes nothing posted, hooks' requests included.
void AnswerOnlySentMessages(DWORD ms) {
    const ULONGLONG end = ::GetTickCount64() + ms;
    for (ULONGLONG now; (now = ::GetTickCount64()) < end;) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_SENDMESSAGE);
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// As the shell does after a display change, the desktop takes the new
// screen's size and then rearranges the icons in its own time, one at a
// time, into a column from the top-left corner: whatever moves them before
// it has finished is undone.
LRESULT CALLBACK ProgmanProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DISPLAYCHANGE) {
        const int width = LOWORD(lParam), height = HIWORD(lParam);
        ::SetWindowPos(defView, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::SetWindowPos(listView, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        rearranging = 0;
        ::SetTimer(hwnd, kRearrangeTimer, kRearrangeStepMs, nullptr);
        return 0;
    }
    if (message == WM_TIMER && wParam == kRearrangeTimer) {
        const auto count = static_cast<int>(::SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0));
        if (rearranging < 0 || rearranging >= count) {
            ::KillTimer(hwnd, kRearrangeTimer);
            rearranging = -1;
            return 0;
        }
        POINT point{0, rearranging * kGridStep};
        ::SendMessageW(listView, LVM_SETITEMPOSITION32, static_cast<WPARAM>(rearranging), reinterpret_cast<LPARAM>(&point));
        ++rearranging;
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    using namespace fake_shell;
    switch (message) {
    case WM_COPYDATA: {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data->dwData != kSetItems) return FALSE;
        SetItems(std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t)));
        return TRUE;
    }
    case kItemCount: return ::SendMessageW(listView, LVM_GETITEMCOUNT, 0, 0);
    case kItemX: return Position(wParam, false);
    case kItemY: return Position(wParam, true);
    case kItemText: return ItemTextAtom(wParam);
    case kItemWidth: return ItemWidth(wParam);
    case kStyle: return ::GetWindowLongW(listView, GWL_STYLE);
    case kOwnProcedure:
        return reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(listView, GWLP_WNDPROC)) == listViewOwnProc;
    case kUserData: return ::GetWindowLongPtrW(listView, GWLP_USERDATA);
    case kTextBkSets: return textBkSets;
    case kTextBkColor: return ::SendMessageW(listView, LVM_GETTEXTBKCOLOR, 0, 0);
    case kLastColumnWidth: return lastColumnWidth;
    case kResetCounters:
        textBkSets = 0;
        lastColumnWidth = -2;
        return 1;
    case kVisible: return (::GetWindowLongW(listView, GWL_STYLE) & WS_VISIBLE) != 0;
    case kIconmireLoaded: return ::GetModuleHandleW(L"Iconmire.dll") != nullptr;
    case kDestroyListView: return ::DestroyWindow(listView);
    case kCreateListView:
        CreateListView();
        return listView != nullptr;
    case kMark: lastMark = wParam; return 1;
    case kLastMark: return static_cast<LRESULT>(lastMark);
    case kStall: AnswerOnlySentMessages(static_cast<DWORD>(wParam)); return 1;
    case kRearranging: return rearranging >= 0;
    case kQuit: ::PostQuitMessage(0); return 1;
    default: return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

HWND Window(const wchar_t* className, const wchar_t* title, DWORD style, HWND parent,
            WNDPROC proc = DefWindowProcW) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, className, title, style, 0, 0, 800, 600, parent, nullptr, wc.hInstance, nullptr);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    ::CoInitialize(nullptr);  // the shell's thread runs with COM, as Iconmire's sort expects
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const bool workerW = std::string(commandLine).find("workerw") != std::string::npos;
    const HWND progman = Window(L"Progman", L"Program Manager", WS_POPUP, nullptr, ProgmanProc);
    const HWND host = workerW ? Window(L"WorkerW", L"", WS_POPUP, nullptr) : progman;
    if (workerW) Window(L"WorkerW", L"", WS_POPUP, nullptr);  // an empty one first, as the shell has
    defView = Window(L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, host);
    CreateListView();
    // The list view lays its items out once after the first pump: the control
    // window appears only after that, so that positions set later stay.
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    Window(fake_shell::kControlClass, L"", WS_POPUP, nullptr, ControlProc);
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}
