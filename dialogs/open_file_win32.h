// The system's file-open dialog with the program's picture filter.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The chosen paths in the order the dialog returns them; empty when the
// user cancels. With OFN_ALLOWMULTISELECT several files may be chosen.
std::vector<std::string> ChooseFiles(HWND owner, DWORD flags);
