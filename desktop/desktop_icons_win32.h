// The program's operations on the desktop icons, which belong to the
// shell's list view. Those that need answers from the shell open one
// bracket of Iconmire each: subclass, wait, ask, unsubclass. Nothing here
// waits for a hung shell for long.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "hook/desktop_item_order.h"
#include "hook/desktop_lookup_win32.h"

// One bracket of the hook library: the desktop list view subclassed from
// construction to destruction, whatever path the operation leaves by.
class DesktopBracket {
public:
    // BeginSubclassDesktopListView, the 100 ms the shell needs to take the
    // posted request, then a check that the subclass is in place.
    explicit DesktopBracket(HWND listView);
    ~DesktopBracket();
    DesktopBracket(const DesktopBracket&) = delete;
    DesktopBracket& operator=(const DesktopBracket&) = delete;

    // False when the subclass is not in place (no hook, a busy or hung shell
    // thread): the registered messages would reach the list view's own
    // procedure, whose answers mean nothing.
    bool InPlace() const { return inPlace_; }

private:
    bool inPlace_ = false;
};

// The answer of the desktop list view, or nothing when there is none or it
// does not answer in time.
std::optional<LRESULT> AskDesktopListView(HWND listView, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// The colour before; the list view is changed and repainted only when the
// colour differs.
COLORREF SetDesktopLabelBackground(COLORREF colour);
// No label background when asked for (the transparentLabelBackground
// setting), else the desktop colour.
void ApplyLabelBackgroundSetting(bool transparent);
void UseSmallDesktopIcons();
void UseStandardDesktopIcons();
// The one of the two that the small-icons setting asks for.
void UseDesktopIconSize(bool smallIcons);
// Fits the small-icon column to the widest icon; leaves it alone when no
// width came back (an empty desktop, no subclass), never setting 0.
void FitDesktopIconColumn();
void ShowDesktopIcons(int showCommand);
void SortDesktopIcons(IconSortKind kind);

// Inside a bracket: the text of an item in UTF-8, read from the atom the
// shell sent (and deleted); nothing when no text was delivered.
std::optional<std::string> ReadDesktopIconText(HWND listView, int index);
