#include "dialogs/boss_key_page_win32.h"

#include <commctrl.h>

#include "dialogs/dialog_rules.h"
#include "dialogs/open_file_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/settings_model.h"
#include "settings/settings_records.h"

bool HotKeyField::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN) return false;
    result = DefaultProc(message, wParam, lParam);
    ::SendMessageW(::GetParent(Handle()), kChangedParameter, 0, 0);
    return true;
}

BossKeyPage::BossKeyPage(DialogContext& context) : SettingsPage(IDD_BOSS_KEY_PAGE, context) {}

BOOL BossKeyPage::OnInitDialog() {
    hotkey_.Subclass(Item(IDC_BOSS_HOTKEY));
    initialising_ = true;
    browse_.Bind(Handle(), IDC_BOSS_BROWSE, {.inIcon = IDI_BROWSE, .tooltip = texts::kBrowseTip});
    ::SendMessageW(Item(IDC_BOSS_HOTKEY), HKM_SETHOTKEY, ControlWordFromStored(context_.settings.Working().bossHotkey), 0);
    Fill();
    initialising_ = false;
    return TRUE;
}

bool BossKeyPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const fw::MessageEntry<BossKeyPage> map[] = {
        fw::OnMessage(kChangedParameter, &BossKeyPage::OnHotkeyChanged),
        fw::OnCommand(IDC_BOSS_BROWSE, &BossKeyPage::OnBrowse),
        fw::OnNotification(IDC_BOSS_PICTURE, EN_CHANGE, &BossKeyPage::OnFieldChanged),
        fw::OnCommand(IDC_BOSS_PAUSE, &BossKeyPage::OnFieldChanged),
    };
    return fw::Dispatch(map, this, message, wParam, lParam, result);
}

LRESULT BossKeyPage::OnHotkeyChanged(WPARAM, LPARAM) {
    const auto word = static_cast<std::uint16_t>(::SendMessageW(Item(IDC_BOSS_HOTKEY), HKM_GETHOTKEY, 0, 0));
    context_.settings.Working().bossHotkey = StoredHotkeyFromControl(word);
    NotifyChange();
    return 0;
}

void BossKeyPage::OnBrowse() {
    const auto chosen = ChooseFiles(Handle(), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST);
    if (chosen.empty()) return;
    context_.settings.Working().bossPicturePath = chosen.front();
    Fill();
    NotifyChange();
}

// The path typed or the pause clicked.
void BossKeyPage::OnFieldChanged() {
    Read();
    NotifyChange();
}

void BossKeyPage::Read() {
    context_.settings.Working().pauseAfterBossKey = ::IsDlgButtonChecked(Handle(), IDC_BOSS_PAUSE) == BST_CHECKED;
    context_.settings.Working().bossPicturePath = ItemText(IDC_BOSS_PICTURE);
}

void BossKeyPage::Fill() {
    // Filling the edit changes its text, whose notice would read the page
    // half filled: the flag keeps the reading out until both are set.
    const bool wasInitialising = initialising_;
    initialising_ = true;
    ::CheckDlgButton(Handle(), IDC_BOSS_PAUSE, context_.settings.Working().pauseAfterBossKey ? BST_CHECKED : BST_UNCHECKED);
    SetItemText(IDC_BOSS_PICTURE, context_.settings.Working().bossPicturePath);
    initialising_ = wasInitialising;
}
