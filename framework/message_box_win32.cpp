#include "framework/message_box_win32.h"

#include "resources/texts.h"

namespace fw {

int ShowMessage(HWND owner, const char* text, UINT type) {
    return ::MessageBoxA(owner, text, texts::kAppName, type);
}

void RejectInteger(HWND dialog, int editId) {
    ShowMessage(dialog, texts::kEnterInteger, MB_OK | MB_ICONEXCLAMATION);
    const HWND edit = ::GetDlgItem(dialog, editId);
    ::SetFocus(edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
}

}  // namespace fw
