// The shell-side sort: what the shell knows of every desktop object,
// gathered once per request, and the comparison the list view calls.
#pragma once

#include <windows.h>

// Fills the table from the shell namespace of the desktop folder.
void CollectDesktopItems();
// The LVM_SORTITEMSEX comparison of two item indexes of the list view
// that SetSortedListView named; the third value is the sort kind.
int CALLBACK CompareDesktopItems(LPARAM index1, LPARAM index2, LPARAM kind);
void ClearDesktopItems();
// The list view whose items the comparisons read.
void SetSortedListView(HWND listView);
