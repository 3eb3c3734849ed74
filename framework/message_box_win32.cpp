#include "framework/message_box_win32.h"

#include "resources/texts.h"

namespace fw {

int ShowMessage(HWND owner, const char* text, UINT type) {
    return ::MessageBoxA(owner, text, texts::kAppName, type);
}

}  // namespace fw
