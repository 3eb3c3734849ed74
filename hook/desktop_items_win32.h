// The shell-side sort: what the shell knows of every desktop object,
// gathered once per request, and the comparison the list view calls.
#pragma once

#include <windows.h>

// Fills the table from the shell namespace of the desktop folder. Throws
// std::bad_alloc when memory runs out; the table then holds what it got.
void CollectDesktopItems();
// The LVM_SORTITEMSEX comparison of two item indexes of the list view
// that SetSortedListView named; the third value is the sort kind.
int CALLBACK CompareDesktopItems(LPARAM index1, LPARAM index2, LPARAM kind) noexcept;
void ClearDesktopItems() noexcept;
// The list view whose items the comparisons read.
void SetSortedListView(HWND listView);
