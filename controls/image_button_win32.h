// The flat push button of the dialogs: an icon beside its caption, a raised
// border while the mouse is over it, a sunken one while it is pressed, a
// lighter background then, and a greyed icon at rest when it has one. The
// icon has the small-icon size of the button's DPI; the caption is never
// wrapped.
#pragma once

#include <windows.h>

#include "framework/handles_win32.h"
#include "framework/window_win32.h"

// How one button of a dialog looks: what every dialog of the program asks
// for is the default but the icons.
struct ImageButtonStyle {
    static constexpr int kGreyOutIcon = -2;  // as out-icon: a grey copy of the in-icon

    int inIcon = 0;                // icon resource shown while hovered or pressed, and at rest without an out-icon
    int outIcon = 0;               // shown at rest; 0 for none
    bool border = true;            // raised while hovered, sunken while pressed
    int hoverLighter = 30;         // how much lighter the background is while hovered or pressed
    const char* tooltip = nullptr;
};

class ImageButton : public fw::Window {
public:
    enum Colour { HoverBackground, HoverText, RestBackground, RestText, FocusBackground, FocusText, kColours };

    ImageButton();
    ~ImageButton() override;

    // Takes over the dialog's push button, makes it owner-drawn and gives it
    // the style.
    bool Bind(HWND dialog, int id, const ImageButtonStyle& style);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void SetBorder(bool on, bool repaint);
    // In-icon and out-icon resource ids; 0 for no out-icon. BM_GETIMAGE
    // answers with the in-icon.
    void SetIcons(int inIcon, int outIcon);
    // 0 on success, 3 for an index above 5, 5 for an offset outside -255..255.
    int OffsetColour(int index, int offset, bool repaint);
    void SetTooltipText(const char* text, bool activate);
    void ResetColours();
    // Loads the icons of SetIcons at the size of the button's DPI.
    void LoadIcons();
    void Draw(const DRAWITEMSTRUCT& item);
    void StopHovering();
    void CreateTooltip();

    bool border_ = true;
    bool hovered_ = false;
    bool defaultButton_ = false;
    COLORREF colours_[kColours];
    int inIconId_ = 0;
    int outIconId_ = 0;
    fw::UniqueIcon inIcon_;
    fw::UniqueIcon outIcon_;
    SIZE inSize_{};
    SIZE outSize_{};
    HWND tooltip_ = nullptr;
};
