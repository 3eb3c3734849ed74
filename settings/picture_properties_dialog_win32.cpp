#include "settings/picture_properties_dialog_win32.h"

#include <commctrl.h>

#include "dialogs/dialog_rules.h"
#include "framework/message_box_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/settings_model.h"
#include "wallpaper/screen_placement.h"

PicturePropertiesDialog::PicturePropertiesDialog() : fw::Dialog(IDD_PICTURE_PROPERTIES) {}

BOOL PicturePropertiesDialog::OnInitDialog() {
    const char* const methods[] = {texts::kMethodNone, texts::kMethodTile, texts::kMethodEnlarge,
                                   texts::kMethodFill, texts::kMethodFit};
    for (const char* text : methods) {
        ::SendMessageW(Item(IDC_DISPLAY_METHOD), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fw::Wide(text).c_str()));
    }
    ::SendMessageW(Item(IDC_TRANSPARENCY_SPIN), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(IDC_TRANSPARENCY)), 0);
    ::SendMessageW(Item(IDC_MAGNIFICATION_SPIN), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(IDC_MAGNIFICATION)), 0);
    ::SendMessageW(Item(IDC_TRANSPARENCY_SPIN), UDM_SETRANGE32, 0, 99);
    ::SendMessageW(Item(IDC_MAGNIFICATION_SPIN), UDM_SETRANGE32, 25, 400);
    // The items are in the order of the methods; an unknown one selects none.
    const bool known = displayMethod >= static_cast<std::int32_t>(DisplayMethod::None) &&
                       displayMethod <= static_cast<std::int32_t>(DisplayMethod::Fit);
    ::SendMessageW(Item(IDC_DISPLAY_METHOD), CB_SETCURSEL, known ? displayMethod : -1, 0);
    ::SetDlgItemInt(Handle(), IDC_TRANSPARENCY, static_cast<UINT>(transparency), TRUE);
    ::SetDlgItemInt(Handle(), IDC_MAGNIFICATION, static_cast<UINT>(magnification), TRUE);
    OnMethodChanged();
    return TRUE;
}

bool PicturePropertiesDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const fw::MessageEntry<PicturePropertiesDialog> map[] = {
        fw::OnNotification(IDC_DISPLAY_METHOD, CBN_SELCHANGE, &PicturePropertiesDialog::OnMethodChanged),
    };
    return fw::Dispatch(map, this, message, wParam, lParam, result);
}

// Fill and Fit size the picture to the screen: a magnification would mean
// nothing there. The field keeps its value for the other methods.
void PicturePropertiesDialog::OnMethodChanged() {
    const LRESULT method = ::SendMessageW(Item(IDC_DISPLAY_METHOD), CB_GETCURSEL, 0, 0);
    const BOOL enabled = !IsShownAtScreenSize(static_cast<std::int32_t>(method));
    ::EnableWindow(Item(IDC_MAGNIFICATION), enabled);
    ::EnableWindow(Item(IDC_MAGNIFICATION_SPIN), enabled);
}

// The arrows keep to their ranges; a typed number is taken as it is.
void PicturePropertiesDialog::OnOK() {
    displayMethod = static_cast<std::int32_t>(::SendMessageW(Item(IDC_DISPLAY_METHOD), CB_GETCURSEL, 0, 0));
    for (const auto& [id, value] : {std::pair{IDC_TRANSPARENCY, &transparency}, std::pair{IDC_MAGNIFICATION, &magnification}}) {
        const auto number = ParseInteger(ItemText(id));
        if (!number) {
            fw::RejectInteger(Handle(), id);
            return;
        }
        *value = *number;
    }
    End(IDOK);
}
