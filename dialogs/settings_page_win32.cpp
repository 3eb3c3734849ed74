#include "dialogs/settings_page_win32.h"

#include "resources/texts.h"

UINT ChangedParameterMessage() {
    static const UINT message = ::RegisterWindowMessageA(texts::kChangedParameter);
    return message;
}

void SettingsPage::NotifyChange() const {
    if (!initialising_) ::SendMessageA(::GetParent(Handle()), ChangedParameterMessage(), 0, 0);
}
