#include "dialogs/settings_page_win32.h"


void SettingsPage::NotifyChange() const {
    if (!initialising_) ::SendMessageW(::GetParent(Handle()), kChangedParameter, 0, 0);
}
