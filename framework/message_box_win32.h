// Message boxes with the program's usual caption.
#pragma once

#include <windows.h>

#include <string_view>

namespace fw {

int ShowMessage(HWND owner, std::string_view text, UINT type);

// An edit that holds no integer: the message, then the focus on the edit
// with its text selected.
void RejectInteger(HWND dialog, int editId);

}  // namespace fw
