// Dialogs built from numbered dialog resources, modal or as child pages.
#pragma once

#include <windows.h>

#include <string>

#include "framework/message_map_win32.h"
#include "framework/wide_win32.h"

namespace fw {

class Dialog {
public:
    explicit Dialog(UINT resourceId) : resourceId_(resourceId) {}
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;
    virtual ~Dialog();

    HWND Handle() const { return hwnd_; }

    // Runs the dialog modally; the result passed to EndDialog, or -1 when
    // the dialog could not be created.
    INT_PTR RunModal(HWND owner);
    // Creates the dialog as a modeless child, such as a page of a tab control.
    bool CreateChild(HWND parent);

    HWND Item(int id) const { return ::GetDlgItem(hwnd_, id); }
    std::string ItemText(int id) const;
    void SetItemText(int id, std::string_view text) const { ::SetDlgItemTextW(hwnd_, id, Wide(text).c_str()); }

protected:
    // WM_INITDIALOG; the result says whether the system sets the default focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // IDOK and IDCANCEL, also from Enter, Escape and the close box.
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // The message map of the derived class; false when it does not handle the message.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void End(INT_PTR result);

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR Route(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT resourceId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
};

}  // namespace fw
