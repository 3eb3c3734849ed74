#include "dialogs/other_settings_page_win32.h"

#include <objbase.h>
#include <shlobj.h>

#include "framework/wide_win32.h"
#include "framework/handles_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/settings_model.h"
#include "settings/settings_records.h"

namespace {

struct Option {
    int id;
    std::int32_t AppSettings::*field;
};
constexpr Option kOptions[] = {
    {IDC_SMALL_ICONS, &AppSettings::smallIcons},
    {IDC_TRANSPARENT_LABELS, &AppSettings::transparentLabelBackground},
    {IDC_RESTORE_LAYOUT, &AppSettings::restoreIconLayoutAtStart},
    {IDC_SAVE_LAYOUT, &AppSettings::saveIconLayoutAtExit},
};

}  // namespace

OtherSettingsPage::OtherSettingsPage(DialogContext& context) : SettingsPage(IDD_OTHER_SETTINGS_PAGE, context) {}

BOOL OtherSettingsPage::OnInitDialog() {
    initialising_ = true;
    for (const Option& option : kOptions) {
        ::CheckDlgButton(Handle(), option.id, context_.settings.Working().*option.field ? BST_CHECKED : BST_UNCHECKED);
    }
    const UserOptions& options = context_.settings.Working().extension.userOptions;
    ::CheckDlgButton(Handle(), IDC_PAUSE_IN_FULL_SCREEN, options.pauseInFullScreen ? BST_CHECKED : BST_UNCHECKED);
    ::CheckDlgButton(Handle(), IDC_PER_MONITOR_PICTURES, options.perMonitorPictures ? BST_CHECKED : BST_UNCHECKED);
    ShowDisplayChangeOption();
    initialising_ = false;
    return TRUE;
}

bool OtherSettingsPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const fw::MessageEntry<OtherSettingsPage> map[] = {
        fw::OnCommand(IDC_TRANSPARENT_LABELS, &OtherSettingsPage::OnOptionClicked),
        fw::OnCommand(IDC_SMALL_ICONS, &OtherSettingsPage::OnOptionClicked),
        fw::OnCommand(IDC_RESTORE_LAYOUT, &OtherSettingsPage::OnOptionClicked),
        fw::OnCommand(IDC_SAVE_LAYOUT, &OtherSettingsPage::OnOptionClicked),
        fw::OnCommand(IDC_PAUSE_IN_FULL_SCREEN, &OtherSettingsPage::OnOptionClicked),
        fw::OnCommand(IDC_PER_MONITOR_PICTURES, &OtherSettingsPage::OnOptionClicked),
        fw::OnCommand(IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE, &OtherSettingsPage::OnDisplayChangeOptionClicked),
        fw::OnCommand(IDC_STARTUP_SHORTCUT, &OtherSettingsPage::OnStartupShortcut),
    };
    return fw::Dispatch(map, this, message, wParam, lParam, result);
}

void OtherSettingsPage::OnOptionClicked() {
    for (const Option& option : kOptions) {
        context_.settings.Working().*option.field = ::IsDlgButtonChecked(Handle(), option.id) == BST_CHECKED;
    }
    UserOptions& options = context_.settings.Working().extension.userOptions;
    options.pauseInFullScreen = ::IsDlgButtonChecked(Handle(), IDC_PAUSE_IN_FULL_SCREEN) == BST_CHECKED;
    options.perMonitorPictures = ::IsDlgButtonChecked(Handle(), IDC_PER_MONITOR_PICTURES) == BST_CHECKED;
    // Until the user sets it, the display-change option follows the restore
    // at start, and its box shows that.
    ShowDisplayChangeOption();
    NotifyChange();
}

void OtherSettingsPage::OnDisplayChangeOptionClicked() {
    context_.settings.Working().extension.userOptions.restoreLayoutOnDisplayChange =
        ::IsDlgButtonChecked(Handle(), IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE) == BST_CHECKED;
    NotifyChange();
}

void OtherSettingsPage::ShowDisplayChangeOption() {
    ::CheckDlgButton(Handle(), IDC_RESTORE_LAYOUT_ON_DISPLAY_CHANGE,
                     RestoresLayoutOnDisplayChange(context_.settings.Working()) ? BST_CHECKED : BST_UNCHECKED);
}

void OtherSettingsPage::OnStartupShortcut() { CreateStartupShortcut(context_.programFolder); }

bool CreateStartupShortcut(const std::string& programFolder) {
    const std::string program = programFolder + texts::kProgramFile;
    LPITEMIDLIST folder = nullptr;
    wchar_t startup[MAX_PATH] = {};
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &folder))) return false;
    const bool found = ::SHGetPathFromIDListW(folder, startup);
    ::CoTaskMemFree(folder);
    if (!found) return false;
    const std::wstring shortcut = startup + fw::Wide(texts::kStartupShortcut);
    WIN32_FIND_DATAW existing;
    if (fw::UniqueFind(::FindFirstFileW(shortcut.c_str(), &existing))) return false;  // never replaced

    // COM may already be up on this thread (the file dialogs start it):
    // that is no reason to give up, only a failure is.
    const HRESULT com = ::CoInitialize(nullptr);
    if (FAILED(com)) return false;
    bool saved = false;
    {
        fw::ComPtr<IShellLinkW> link;
        fw::ComPtr<IPersistFile> file;
        saved = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                             link.PutVoid())) &&
                SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.PutVoid())) &&
                SUCCEEDED(link->SetPath(fw::Wide(program).c_str())) && SUCCEEDED(file->Save(shortcut.c_str(), TRUE));
    }
    ::CoUninitialize();
    return saved;
}
