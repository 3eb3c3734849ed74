// Message boxes with the program's usual caption.
#pragma once

#include <windows.h>

namespace fw {

int ShowMessage(HWND owner, const char* text, UINT type);

}  // namespace fw
