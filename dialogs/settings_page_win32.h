// A page of the settings dialog: a child dialog of the tab control that
// edits the working copy and announces every change.
#pragma once

#include "dialogs/dialog_context_win32.h"
#include "framework/dialog_win32.h"

class SettingsPage : public fw::Dialog {
public:
    SettingsPage(UINT resourceId, DialogContext& context) : fw::Dialog(resourceId), context_(context) {}

    // Just before Apply or OK copies the working copy: a page that took a
    // value as it was typed brings it into its valid range here.
    virtual void BeforeCommit() {}

protected:
    // The change notice to the tab control, unless the page is filling itself.
    void NotifyChange() const;

    DialogContext& context_;
    bool initialising_ = false;
};
