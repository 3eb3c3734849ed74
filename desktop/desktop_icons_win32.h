// The program's operations on the desktop icons, which belong to the
// shell's list view. Those that need answers from the shell open one
// bracket of Iconmire each: subclass, wait, ask, unsubclass.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "hook/desktop_item_order.h"

HWND FindDesktopListView();
// BeginSubclassDesktopListView, then the 100 ms the shell needs to take
// the posted request before any registered message may follow.
void BeginSubclassAndWait();
// The colour before; the list view is changed and repainted only when the
// colour differs.
COLORREF SetDesktopLabelBackground(COLORREF colour);
// No label background when asked for (the transparentLabelBackground
// setting), else the desktop colour.
void ApplyLabelBackgroundSetting(bool transparent);
void UseSmallDesktopIcons();
void UseStandardDesktopIcons();
void FitDesktopIconColumn();
void ShowDesktopIcons(int showCommand);
void SortDesktopIcons(IconSortKind kind);

// Inside a bracket: the text of an item, read from the atom the shell sent
// (and deleted); nothing when no text was delivered.
std::optional<std::string> ReadDesktopIconText(HWND listView, int index);

// The registered message numbers the program sends itself.
struct ListViewMessages {
    UINT getItemPosX, getItemPosY, getItemWidth, getText, setWindowLong, sortItems;
    static const ListViewMessages& Get();
};
