#include "desktop/desktop_icons_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "desktop/desktop_rules.h"
#include "hook/desktop_lookup_win32.h"
#include "hook/iconmire_win32.h"
#include "hook/list_view_protocol.h"

namespace {

constexpr DWORD kSubclassWaitMs = 100;

// The style is set by the shell process itself, through the subclass.
void SetDesktopListViewStyle(std::uint32_t (*newStyle)(std::uint32_t)) {
    const HWND listView = FindDesktopListView();
    if (!listView) return;
    const auto style = static_cast<std::uint32_t>(::GetWindowLongA(listView, GWL_STYLE));
    BeginSubclassAndWait();
    ::SendMessageA(listView, ListViewMessages::Get().setWindowLong, static_cast<WPARAM>(GWL_STYLE),
                   static_cast<LPARAM>(static_cast<LONG>(newStyle(style))));
    EndSubclassDesktopListView();
}

}  // namespace

const ListViewMessages& ListViewMessages::Get() {
    namespace p = list_view_protocol;
    static const ListViewMessages messages{
        ::RegisterWindowMessageA(p::kGetItemPosX),  ::RegisterWindowMessageA(p::kGetItemPosY),
        ::RegisterWindowMessageA(p::kGetItemWidth), ::RegisterWindowMessageA(p::kGetText),
        ::RegisterWindowMessageA(p::kSetWindowLong), ::RegisterWindowMessageA(p::kSortItems),
    };
    return messages;
}

HWND FindDesktopListView() { return FindDesktopListViewWindow(); }

void BeginSubclassAndWait() {
    BeginSubclassDesktopListView();
    ::Sleep(kSubclassWaitMs);
}

COLORREF SetDesktopLabelBackground(COLORREF colour) {
    const HWND listView = FindDesktopListView();
    // Without a list view there is nothing to change; InvalidateRect and
    // UpdateWindow on a null window would repaint every window there is.
    if (!listView) return 0;
    const auto before = static_cast<COLORREF>(::SendMessageA(listView, LVM_GETTEXTBKCOLOR, 0, 0));
    if (before != colour) {
        ::SendMessageA(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour));
        ::InvalidateRect(listView, nullptr, TRUE);
        ::UpdateWindow(listView);
    }
    return before;
}

void ApplyLabelBackgroundSetting(bool transparent) {
    SetDesktopLabelBackground(transparent ? CLR_NONE : ::GetSysColor(COLOR_BACKGROUND));
}

void UseSmallDesktopIcons() {
    if (!FindDesktopListView()) return;
    SetDesktopListViewStyle([](std::uint32_t style) { return desktop_rules::SmallIconStyle(style); });
    FitDesktopIconColumn();
}

void UseStandardDesktopIcons() {
    SetDesktopListViewStyle([](std::uint32_t style) { return desktop_rules::StandardIconStyle(style); });
}

void FitDesktopIconColumn() {
    const HWND listView = FindDesktopListView();
    const auto count = static_cast<int>(::SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    BeginSubclassAndWait();
    std::uint32_t widest = 0;
    for (int i = 0; i < count; ++i) {
        widest = std::max(widest, desktop_rules::WidthOf(::SendMessageA(listView, ListViewMessages::Get().getItemWidth,
                                                                        static_cast<WPARAM>(i), 0)));
    }
    EndSubclassDesktopListView();
    ::SendMessageA(listView, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(-1), static_cast<LPARAM>(widest));
}

void ShowDesktopIcons(int showCommand) { ::ShowWindow(FindDesktopListView(), showCommand); }

void SortDesktopIcons(IconSortKind kind) {
    BeginSubclassAndWait();
    ::Sleep(kSubclassWaitMs);  // the shell's sort gathers the desktop first: give it longer
    ::SendMessageA(FindDesktopListView(), ListViewMessages::Get().sortItems, static_cast<WPARAM>(kind), 0);
    EndSubclassDesktopListView();
}

std::optional<std::string> ReadDesktopIconText(HWND listView, int index) {
    const auto answer = ::SendMessageA(listView, ListViewMessages::Get().getText, static_cast<WPARAM>(index), 0);
    const auto atom = static_cast<ATOM>(answer & 0xFFFF);
    if (!atom) return std::nullopt;
    char name[260] = {};
    const UINT length = ::GlobalGetAtomNameA(atom, name, sizeof(name));
    ::GlobalDeleteAtom(atom);  // the atom is ours once received
    return std::string(name, length);
}
