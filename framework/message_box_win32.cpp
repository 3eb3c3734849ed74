#include "framework/message_box_win32.h"

#include "framework/wide_win32.h"
#include "resources/texts.h"

namespace fw {

int ShowMessage(HWND owner, std::string_view text, UINT type) {
    return ::MessageBoxW(owner, Wide(text).c_str(), Wide(texts::kAppName).c_str(), type);
}

void RejectInteger(HWND dialog, int editId) {
    ShowMessage(dialog, texts::kEnterInteger, MB_OK | MB_ICONEXCLAMATION);
    const HWND edit = ::GetDlgItem(dialog, editId);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

}  // namespace fw
