// The fourth page, "その他設定": desktop icon options, the startup shortcut,
// whether a full-screen program holds the rotation back, a picture per
// monitor and the icon layout of each display set-up.
#pragma once

#include <string>

#include "dialogs/settings_page_win32.h"

class OtherSettingsPage : public SettingsPage {
public:
    explicit OtherSettingsPage(DialogContext& context);

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnOptionClicked();
    void OnDisplayChangeOptionClicked();
    void ShowDisplayChangeOption();
    void OnStartupShortcut();
};

// Creates "Vistaloom.lnk" in the user's Startup folder, pointing at
// "Vistaloom.exe" in the program folder, unless something of that name is
// there already. Reports nothing; false when no shortcut was made.
bool CreateStartupShortcut(const std::string& programFolder);
