#include "framework/dialog_win32.h"

#include <vector>

#include "framework/callback_guard.h"
#include "framework/window_win32.h"

namespace fw {

namespace {

// Messages whose result a dialog procedure returns itself instead of
// leaving it in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
    return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
}

}  // namespace

Dialog::~Dialog() {
    if (hwnd_ && !modal_) {
        ::SetWindowLongPtrW(hwnd_, DWLP_USER, 0);
        ::DestroyWindow(hwnd_);
    }
}

INT_PTR Dialog::RunModal(HWND owner) {
    modal_ = true;
    return ::DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(resourceId_), owner, &Dialog::DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateChild(HWND parent) {
    modal_ = false;
    return ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(resourceId_), parent, &Dialog::DialogProc,
                                reinterpret_cast<LPARAM>(this)) != nullptr;
}

std::string Dialog::ItemText(int id) const {
    const HWND item = Item(id);
    std::vector<wchar_t> text(static_cast<size_t>(::GetWindowTextLengthW(item)) + 1, L'\0');
    const int length = ::GetWindowTextW(item, text.data(), static_cast<int>(text.size()));
    return Narrow(std::wstring_view(text.data(), static_cast<size_t>(length > 0 ? length : 0)));
}

void Dialog::End(INT_PTR result) {
    if (modal_) {
        ::EndDialog(hwnd_, result);
    } else {
        ::DestroyWindow(hwnd_);
    }
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

INT_PTR Dialog::Route(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // A handler that throws (memory ran out) fails its one message; the
    // exception must not reach the system, which would end the program.
    return GuardedResult(INT_PTR{FALSE}, [&] { return HandleMessage(message, wParam, lParam); });
}

INT_PTR Dialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    // Owner-drawn controls of our own draw and answer for themselves.
    if (message == WM_DRAWITEM || message == WM_CTLCOLORBTN || message == WM_COMMAND) {
        const HWND control = message == WM_DRAWITEM ? reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->hwndItem
                                                    : reinterpret_cast<HWND>(lParam);
        if (IsTakenOver(control)) {
            result = ::SendMessageW(control, kReflectBase + message, wParam, lParam);
            if (message == WM_DRAWITEM) return TRUE;
            if (message == WM_CTLCOLORBTN) return static_cast<INT_PTR>(result);
        }
    }
    if (OnMessage(message, wParam, lParam, result)) {
        if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
        ::SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK Dialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<Dialog*>(lParam);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        // A dialog that cannot set itself up is not shown half made.
        constexpr INT_PTR kFailed = -1;
        const INT_PTR focus = GuardedResult(kFailed, [&] { return static_cast<INT_PTR>(self->OnInitDialog()); });
        if (focus == kFailed) self->End(kFailed);
        return focus == kFailed ? FALSE : focus;
    }
    auto* self = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    const INT_PTR handled = self->Route(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, DWLP_USER, 0);
        self->hwnd_ = nullptr;
    }
    return handled;
}

}  // namespace fw
