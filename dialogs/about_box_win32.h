// The version box: one image button with the program's icon and the
// description, version and copyright from the version resource.
#pragma once

#include "controls/image_button_win32.h"
#include "framework/dialog_win32.h"

class AboutBox : public fw::Dialog {
public:
    AboutBox();

protected:
    BOOL OnInitDialog() override;

private:
    ImageButton face_;
};
