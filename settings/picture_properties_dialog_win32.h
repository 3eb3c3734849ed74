// The small dialog that edits one picture's display method, magnification
// and transparency. It works on the three values only.
#pragma once

#include <cstdint>

#include "framework/dialog_win32.h"

class PicturePropertiesDialog : public fw::Dialog {
public:
    PicturePropertiesDialog();

    std::int32_t displayMethod = -1;  // the combo's selection; -1 for none
    std::int32_t magnification = 0;
    std::int32_t transparency = 0;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void OnMethodChanged();
};
