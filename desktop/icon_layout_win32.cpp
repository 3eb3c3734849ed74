#include "desktop/icon_layout_win32.h"

#include <windows.h>
#include <commctrl.h>

#include "desktop/desktop_icons_win32.h"
#include "desktop/desktop_rules.h"
#include "hook/iconmire_win32.h"
#include "settings/settings_model.h"

void SaveIconLayout(IconLayout& layout) {
    const HWND listView = FindDesktopListView();
    if (!listView) return;
    layout.Clear();
    BeginSubclassAndWait();
    const auto& messages = ListViewMessages::Get();
    for (int index = -1;;) {
        const auto next =
            static_cast<int>(::SendMessageA(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_ALL));
        // -1 ends the walk; so does an answer that does not move on (the
        // list view went away meanwhile), which would otherwise never end.
        if (next == -1 || next <= index) break;
        index = next;
        const auto x = static_cast<std::int32_t>(::SendMessageA(listView, messages.getItemPosX, index, 0));
        const auto y = static_cast<std::int32_t>(::SendMessageA(listView, messages.getItemPosY, index, 0));
        if (auto text = ReadDesktopIconText(listView, index)) layout.Insert({x, y, std::move(*text)});
    }
    EndSubclassDesktopListView();
}

void RestoreIconLayout(const IconLayout& layout) {
    const HWND listView = FindDesktopListView();
    const auto count = static_cast<int>(::SendMessageA(listView, LVM_GETITEMCOUNT, 0, 0));
    BeginSubclassAndWait();
    for (int index = 0; index < count; ++index) {
        const auto text = ReadDesktopIconText(listView, index);
        const IconPosition* saved = text ? layout.Find(*text) : nullptr;
        if (saved) {
            ::SendMessageA(listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                           static_cast<LPARAM>(desktop_rules::PackItemPosition(saved->x, saved->y)));
        }
    }
    EndSubclassDesktopListView();
}
