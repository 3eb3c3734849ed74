// The third page, "上司が来たぞ！": the boss key, its picture and the pause.
#pragma once

#include "controls/image_button_win32.h"
#include "dialogs/settings_page_win32.h"
#include "framework/window_win32.h"

// A hotkey control that tells its parent after every key press.
class HotKeyField : public fw::Window {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class BossKeyPage : public SettingsPage {
public:
    explicit BossKeyPage(DialogContext& context);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnHotkeyChanged(WPARAM, LPARAM);
    void OnBrowse();
    void OnFieldChanged();
    void Read();
    void Fill();

    HotKeyField hotkey_;
    ImageButton browse_;
};
