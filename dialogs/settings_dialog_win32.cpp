#include "dialogs/settings_dialog_win32.h"

#include <commctrl.h>

#include "dialogs/boss_key_page_win32.h"
#include "dialogs/interval_page_win32.h"
#include "framework/system_function_win32.h"
#include "framework/wide_win32.h"
#include "dialogs/other_settings_page_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/image_list_page_win32.h"
#include "settings/settings_model.h"
#include "settings/settings_records.h"

namespace {

// With visual styles a page drawn in the plain dialog colour stands out of
// the tab's own background; the theme gives it the tab's. Looked up when
// first needed: a system without themes shows the plain colour.
void UseTabPageBackground(HWND page) {
    static const auto enable =
        fw::SystemFunction<HRESULT(WINAPI*)(HWND, DWORD)>("uxtheme.dll", "EnableThemeDialogTexture");
    constexpr DWORD kEnableTab = 0x00000006;  // ETDT_ENABLETAB
    if (enable) enable(page, kEnableTab);
}

// The open settings dialog of the thread, for its message filter. There is
// one at a time: the main window never opens a second.
thread_local SettingsDialog* activeDialog = nullptr;

}  // namespace

void SettingsTabControl::CreatePages(DialogContext& context) {
    pages_.push_back(std::make_unique<ImageListPage>(context));
    pages_.push_back(std::make_unique<IntervalPage>(context));
    pages_.push_back(std::make_unique<BossKeyPage>(context));
    pages_.push_back(std::make_unique<OtherSettingsPage>(context));
    shown_ = 0;
    RECT client{}, item{};
    ::GetClientRect(Handle(), &client);
    ::SendMessageW(Handle(), TCM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        pages_[i]->CreateChild(Handle());
        UseTabPageBackground(pages_[i]->Handle());
        ::SetWindowPos(pages_[i]->Handle(), HWND_TOP, item.left, item.bottom + 1, client.right - item.left - 1,
                       client.bottom - item.bottom - 2, i == 0 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    }
}

void SettingsTabControl::BeforeCommit() {
    for (const auto& page : pages_) page->BeforeCommit();
}

bool SettingsTabControl::OnMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
    if (message != kChangedParameter) return false;
    ::SendMessageW(::GetParent(Handle()), kChangedParameter, 0, 0);
    result = 0;
    return true;
}

void SettingsTabControl::ShowSelected() {
    const int selected = static_cast<int>(::SendMessageW(Handle(), TCM_GETCURSEL, 0, 0));
    if (selected < 0 || selected >= static_cast<int>(pages_.size()) || selected == shown_) return;
    const bool tabsHaveFocus = ::GetFocus() == Handle();
    ::ShowWindow(pages_[static_cast<std::size_t>(shown_)]->Handle(), SW_HIDE);
    shown_ = selected;
    const HWND page = pages_[static_cast<std::size_t>(shown_)]->Handle();
    ::ShowWindow(page, SW_SHOW);
    if (!tabsHaveFocus) ::SetFocus(page);
}

void SettingsTabControl::Step(int step) {
    const int count = static_cast<int>(pages_.size());
    if (count == 0) return;
    ::SendMessageW(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(((shown_ + step) % count + count) % count), 0);
    ShowSelected();
}

SettingsDialog::SettingsDialog(DialogContext& context) : fw::Dialog(IDD_SETTINGS), context_(context) {}

BOOL SettingsDialog::OnInitDialog() {
    tabs_.Subclass(Item(IDC_SETTINGS_TABS));
    const int ids[] = {IDC_SETTINGS_OK, IDC_SETTINGS_APPLY, IDC_SETTINGS_CANCEL};
    const int icons[] = {IDI_OK, IDI_APPLY, IDI_CANCEL};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i].Bind(Handle(), ids[i], {.inIcon = icons[i], .outIcon = ImageButtonStyle::kGreyOutIcon});
    }
    ::EnableWindow(Item(IDC_SETTINGS_APPLY), FALSE);
    for (int i = 0; i < 4; ++i) {
        std::wstring text = fw::Wide(texts::kTabTexts[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(tabs_.Handle(), TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    tabs_.CreatePages(context_);
    // The dialog manager takes Ctrl+Tab for moving the focus before any
    // window of the dialog sees it; a message filter of the thread sees it
    // first. It also sees the keys of the dialogs this one opens, which
    // OnPageKey leaves alone.
    activeDialog = this;
    pageKeys_.Reset(::SetWindowsHookExW(WH_MSGFILTER, &SettingsDialog::FilterDialogMessage, nullptr,
                                        ::GetCurrentThreadId()));
    return TRUE;
}

LRESULT SettingsDialog::OnDestroy(WPARAM, LPARAM) {
    pageKeys_.Reset();
    if (activeDialog == this) activeDialog = nullptr;
    return 0;
}

LRESULT CALLBACK SettingsDialog::FilterDialogMessage(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == MSGF_DIALOGBOX && activeDialog && activeDialog->OnPageKey(*reinterpret_cast<const MSG*>(lParam))) {
        return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

bool SettingsDialog::OnPageKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || (::GetKeyState(VK_CONTROL) & 0x8000) == 0) return false;
    if (message.hwnd != Handle() && !::IsChild(Handle(), message.hwnd)) return false;
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    int step = 0;
    switch (message.wParam) {
    case VK_TAB: step = shift ? -1 : 1; break;
    case VK_NEXT: step = 1; break;
    case VK_PRIOR: step = -1; break;
    default: return false;
    }
    tabs_.Step(step);
    return true;
}

LRESULT SettingsDialog::OnNotify(WPARAM, LPARAM header) {
    const auto* notice = reinterpret_cast<const NMHDR*>(header);
    // A click, or the arrow keys on the focused tab control.
    if (notice->idFrom == IDC_SETTINGS_TABS && notice->code == static_cast<UINT>(TCN_SELCHANGE)) tabs_.ShowSelected();
    return 0;
}

bool SettingsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const fw::MessageEntry<SettingsDialog> map[] = {
        fw::OnMessage(kChangedParameter, &SettingsDialog::OnChanged),
        fw::OnMessage(WM_NOTIFY, &SettingsDialog::OnNotify),
        fw::OnMessage(WM_DESTROY, &SettingsDialog::OnDestroy),
        fw::OnCommand(IDC_SETTINGS_OK, &SettingsDialog::OnCommitAndClose),
        fw::OnCommand(IDC_SETTINGS_APPLY, &SettingsDialog::OnApply),
        fw::OnCommand(IDC_SETTINGS_CANCEL, &SettingsDialog::OnCancel),
    };
    return fw::Dispatch(map, this, message, wParam, lParam, result);
}

LRESULT SettingsDialog::OnChanged(WPARAM, LPARAM) {
    ::EnableWindow(Item(IDC_SETTINGS_APPLY), TRUE);
    return 0;
}

void SettingsDialog::Commit() {
    tabs_.BeforeCommit();
    context_.commit(Handle());
}

void SettingsDialog::OnApply() {
    Commit();
    ::EnableWindow(Item(IDC_SETTINGS_APPLY), FALSE);
}

void SettingsDialog::OnCommitAndClose() {
    Commit();
    End(IDOK);
}

void SettingsDialog::OnCancel() {
    context_.settings.Revert();
    End(IDCANCEL);
}
