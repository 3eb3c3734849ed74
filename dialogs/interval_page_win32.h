// The second page, "更新設定": the rotation interval and order.
#pragma once

#include <string>

#include "dialogs/settings_page_win32.h"

class IntervalPage : public SettingsPage {
public:
    explicit IntervalPage(DialogContext& context);

    // A typed interval is held to its unit's range, so that what is stored
    // is what the rotation runs.
    void BeforeCommit() override;

protected:
    BOOL OnInitDialog() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnUnitClicked();
    void OnOrderClicked();
    void OnValueChanged();
    // Controls into the working copy; false when the edit holds no integer.
    bool Read();
    void Fill();
    void ApplyUnitRange();

    std::string unitLabel_;
};
