// Iconmire.dll: subclasses the desktop's list view from inside the shell
// process, so that item positions, widths and texts can be asked for with
// registered messages whose answers are plain 32-bit results.
#pragma once

#include <windows.h>

#ifdef ICONMIRE_BUILD
#define ICONMIRE_API extern "C" __declspec(dllexport)
#else
#define ICONMIRE_API extern "C" __declspec(dllimport)
#endif

// The desktop list view, or null.
ICONMIRE_API HWND GetDesktopListView();
// Hooks the list view's thread and posts LVM_SUBCLASS to it; the result of
// the post. Wait about 100 ms before the first registered message.
ICONMIRE_API BOOL BeginSubclassDesktopListView();
// Puts the list view's own procedure back and removes the hook; the result
// of the unhook.
ICONMIRE_API BOOL EndSubclassDesktopListView();
