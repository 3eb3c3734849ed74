#include "dialogs/interval_page_win32.h"

#include <commctrl.h>

#include "dialogs/dialog_rules.h"
#include "settings/interval_units.h"
#include "framework/message_box_win32.h"
#include "resources/resource_ids.h"
#include "settings/settings_model.h"
#include "settings/settings_records.h"

IntervalPage::IntervalPage(DialogContext& context) : SettingsPage(IDD_INTERVAL_PAGE, context) {}

BOOL IntervalPage::OnInitDialog() {
    initialising_ = true;
    ::SendMessageW(Item(IDC_INTERVAL_SPIN), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(IDC_INTERVAL_VALUE)), 0);
    Fill();
    ApplyUnitRange();
    initialising_ = false;
    return TRUE;
}

bool IntervalPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const fw::MessageEntry<IntervalPage> map[] = {
        fw::OnCommand(IDC_UNIT_HOURS, &IntervalPage::OnUnitClicked),
        fw::OnCommand(IDC_UNIT_MINUTES, &IntervalPage::OnUnitClicked),
        fw::OnCommand(IDC_UNIT_SECONDS, &IntervalPage::OnUnitClicked),
        fw::OnCommand(IDC_ORDER_LIST, &IntervalPage::OnOrderClicked),
        fw::OnCommand(IDC_ORDER_RANDOM, &IntervalPage::OnOrderClicked),
        fw::OnNotification(IDC_INTERVAL_VALUE, EN_CHANGE, &IntervalPage::OnValueChanged),
    };
    return fw::Dispatch(map, this, message, wParam, lParam, result);
}

void IntervalPage::OnUnitClicked() {
    Read();
    ApplyUnitRange();
    NotifyChange();
}

void IntervalPage::OnOrderClicked() {
    Read();
    NotifyChange();
}

// A typed number (or one the spin buttons set) reaches the working copy at
// once, so that Apply and OK commit what the page shows; it is held to the
// unit's range when the range is next applied.
void IntervalPage::OnValueChanged() {
    if (const auto value = ParseInteger(ItemText(IDC_INTERVAL_VALUE))) context_.settings.Working().intervalValue = *value;
    NotifyChange();
}

void IntervalPage::BeforeCommit() {
    const bool wasInitialising = initialising_;
    initialising_ = true;  // the edit's new text is no new change
    ApplyUnitRange();
    initialising_ = wasInitialising;
}

bool IntervalPage::Read() {
    const auto value = ParseInteger(ItemText(IDC_INTERVAL_VALUE));
    if (!value) {
        fw::RejectInteger(Handle(), IDC_INTERVAL_VALUE);
        return false;
    }
    AppSettings& working = context_.settings.Working();
    working.intervalValue = *value;
    for (int unit = 0; unit < 3; ++unit) {
        if (::IsDlgButtonChecked(Handle(), IDC_UNIT_HOURS + unit)) working.intervalUnit = unit;
    }
    working.randomOrder = ::IsDlgButtonChecked(Handle(), IDC_ORDER_RANDOM) == BST_CHECKED;
    return true;
}

void IntervalPage::Fill() {
    const AppSettings& working = context_.settings.Working();
    ::SetDlgItemInt(Handle(), IDC_INTERVAL_VALUE, static_cast<UINT>(working.intervalValue), TRUE);
    SetItemText(IDC_INTERVAL_UNIT_LABEL, unitLabel_);
    for (int unit = 0; unit < 3; ++unit) {
        ::CheckDlgButton(Handle(), IDC_UNIT_HOURS + unit, working.intervalUnit == unit ? BST_CHECKED : BST_UNCHECKED);
    }
    ::CheckDlgButton(Handle(), IDC_ORDER_LIST, working.randomOrder ? BST_UNCHECKED : BST_CHECKED);
    ::CheckDlgButton(Handle(), IDC_ORDER_RANDOM, working.randomOrder ? BST_CHECKED : BST_UNCHECKED);
}

void IntervalPage::ApplyUnitRange() {
    AppSettings& working = context_.settings.Working();
    // A unit outside the three (a damaged file) allows no value and has no label.
    const IntervalRange* range = RangeOfUnit(working.intervalUnit);
    working.intervalValue = HoldToUnit(working.intervalUnit, working.intervalValue);
    ::SendMessageW(Item(IDC_INTERVAL_SPIN), UDM_SETRANGE32, range ? range->minimum : 0, range ? range->maximum : 0);
    ::SendMessageW(Item(IDC_INTERVAL_SPIN), UDM_SETPOS32, 0, working.intervalValue);
    unitLabel_ = range ? range->label : "";
    Fill();
}
