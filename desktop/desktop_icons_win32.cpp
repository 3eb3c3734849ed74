#include "desktop/desktop_icons_win32.h"

#include <commctrl.h>

#include <algorithm>

#include "desktop/desktop_rules.h"
#include "framework/wide_win32.h"
#include "hook/iconmire_win32.h"
#include "hook/list_view_protocol.h"

namespace {

constexpr DWORD kSubclassWaitMs = 100;
// The subclass is checked this many times more, this far apart: a shell
// thread that was busy when the request was posted takes it a little late.
constexpr int kSubclassChecks = 10;
constexpr DWORD kSubclassCheckMs = 50;
// Longer than any answer of a shell that works; a hung one is not waited for.
constexpr UINT kAnswerTimeoutMs = 5000;
// The sort gathers the whole desktop from the shell's namespace first.
constexpr UINT kSortTimeoutMs = 30000;
// An atom's name is at most 255 UTF-16 units and its NUL.
constexpr int kAtomNameUnits = 256;

std::optional<LRESULT> Ask(HWND listView, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs) {
    DWORD_PTR answer = 0;
    if (!listView || !::SendMessageTimeoutW(listView, message, wParam, lParam, SMTO_ABORTIFHUNG, timeoutMs, &answer)) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(answer);
}

// The subclass answers the position of index -1 with -1; the list view's
// own procedure does not know the message and answers 0.
bool SubclassAnswers(HWND listView) {
    for (int check = 0; check < kSubclassChecks; ++check) {
        const auto answer = AskDesktopListView(listView, list_view_protocol::kGetItemPosX, static_cast<WPARAM>(-1));
        if (!answer) return false;
        if (static_cast<int>(*answer) == -1) return true;
        ::Sleep(kSubclassCheckMs);
    }
    return false;
}

// The style is set by the shell process itself, through the subclass.
void SetDesktopListViewStyle(std::uint32_t (*newStyle)(std::uint32_t)) {
    const HWND listView = FindDesktopListView();
    if (!listView) return;
    const auto style = static_cast<std::uint32_t>(::GetWindowLongW(listView, GWL_STYLE));
    const DesktopBracket bracket(listView);
    if (!bracket.InPlace()) return;
    AskDesktopListView(listView, list_view_protocol::kSetWindowLong, static_cast<WPARAM>(GWL_STYLE),
                       static_cast<LPARAM>(static_cast<LONG>(newStyle(style))));
}

}  // namespace

std::optional<LRESULT> AskDesktopListView(HWND listView, UINT message, WPARAM wParam, LPARAM lParam) {
    return Ask(listView, message, wParam, lParam, kAnswerTimeoutMs);
}

DesktopBracket::DesktopBracket(HWND listView) {
    if (!BeginSubclassDesktopListView()) return;
    ::Sleep(kSubclassWaitMs);
    inPlace_ = SubclassAnswers(listView);
}

DesktopBracket::~DesktopBracket() { EndSubclassDesktopListView(); }

COLORREF SetDesktopLabelBackground(COLORREF colour) {
    const HWND listView = FindDesktopListView();
    // Without a list view there is nothing to change; InvalidateRect and
    // UpdateWindow on a null window would repaint every window there is.
    const auto before = AskDesktopListView(listView, LVM_GETTEXTBKCOLOR);
    if (!before) return 0;
    if (static_cast<COLORREF>(*before) != colour) {
        AskDesktopListView(listView, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(colour));
        ::InvalidateRect(listView, nullptr, TRUE);
        ::UpdateWindow(listView);
    }
    return static_cast<COLORREF>(*before);
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

void UseDesktopIconSize(bool smallIcons) {
    if (smallIcons) {
        UseSmallDesktopIcons();
    } else {
        UseStandardDesktopIcons();
    }
}

void FitDesktopIconColumn() {
    const HWND listView = FindDesktopListView();
    const auto count = static_cast<int>(AskDesktopListView(listView, LVM_GETITEMCOUNT).value_or(0));
    if (count <= 0) return;
    std::uint32_t widest = 0;
    {
        const DesktopBracket bracket(listView);
        if (!bracket.InPlace()) return;
        for (int i = 0; i < count; ++i) {
            const auto width = AskDesktopListView(listView, list_view_protocol::kGetItemWidth, static_cast<WPARAM>(i));
            if (!width) return;
            widest = std::max(widest, desktop_rules::WidthOf(*width));
        }
    }
    // A width of 0 would hide every icon's text.
    if (widest > 0) AskDesktopListView(listView, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(-1), static_cast<LPARAM>(widest));
}

void ShowDesktopIcons(int showCommand) { ::ShowWindow(FindDesktopListView(), showCommand); }

void SortDesktopIcons(IconSortKind kind) {
    const HWND listView = FindDesktopListView();
    if (!listView) return;
    const DesktopBracket bracket(listView);
    if (!bracket.InPlace()) return;
    ::Sleep(kSubclassWaitMs);  // the shell's sort gathers the desktop first: give it longer
    Ask(listView, list_view_protocol::kSortItems, static_cast<WPARAM>(kind), 0, kSortTimeoutMs);
}

std::optional<std::string> ReadDesktopIconText(HWND listView, int index) {
    const auto answer = AskDesktopListView(listView, list_view_protocol::kGetText, static_cast<WPARAM>(index));
    const auto atom = static_cast<ATOM>(answer.value_or(0) & 0xFFFF);
    if (!atom) return std::nullopt;
    wchar_t name[kAtomNameUnits] = {};
    const UINT length = ::GlobalGetAtomNameW(atom, name, kAtomNameUnits);
    ::GlobalDeleteAtom(atom);  // the atom is ours once received
    return fw::Narrow(std::wstring_view(name, length));
}
