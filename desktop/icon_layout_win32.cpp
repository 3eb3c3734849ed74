#include "desktop/icon_layout_win32.h"

#include <windows.h>
#include <commctrl.h>

#include "desktop/desktop_icons_win32.h"
#include "desktop/desktop_rules.h"
#include "hook/list_view_protocol.h"
#include "settings/settings_model.h"

bool SaveIconLayout(IconLayout& layout) {
    const HWND listView = FindDesktopListView();
    if (!listView) return false;
    // Built apart: the stored layout is replaced only by one the shell
    // really gave. A shell that is busy, hung or not subclassed answers
    // nothing, and that must not pass for an empty desktop.
    IconLayout fresh;
    int items = 0;
    bool textsCame = false;
    {
        const DesktopBracket bracket(listView);
        if (!bracket.InPlace()) return false;
        namespace p = list_view_protocol;
        for (int index = -1;;) {
            const auto next = AskDesktopListView(listView, LVM_GETNEXTITEM, static_cast<WPARAM>(index), LVNI_ALL);
            if (!next) return false;
            if (static_cast<int>(*next) == -1) break;
            // An answer that does not move on: the list view went away meanwhile.
            if (static_cast<int>(*next) <= index) return false;
            index = static_cast<int>(*next);
            ++items;
            const auto x = AskDesktopListView(listView, p::kGetItemPosX, static_cast<WPARAM>(index));
            const auto y = AskDesktopListView(listView, p::kGetItemPosY, static_cast<WPARAM>(index));
            if (!x || !y) return false;
            if (auto text = ReadDesktopIconText(listView, index)) {
                fresh.Insert({static_cast<std::int32_t>(*x), static_cast<std::int32_t>(*y), std::move(*text)});
                textsCame = true;
            }
        }
    }
    if (items > 0 && !textsCame) return false;
    layout = std::move(fresh);
    return true;
}

void RestoreIconLayout(const IconLayout& layout) {
    const HWND listView = FindDesktopListView();
    const auto count = static_cast<int>(AskDesktopListView(listView, LVM_GETITEMCOUNT).value_or(0));
    if (count <= 0) return;
    const DesktopBracket bracket(listView);
    if (!bracket.InPlace()) return;
    for (int index = 0; index < count; ++index) {
        const auto text = ReadDesktopIconText(listView, index);
        const IconPosition* saved = text ? layout.Find(*text) : nullptr;
        if (saved) {
            AskDesktopListView(listView, LVM_SETITEMPOSITION, static_cast<WPARAM>(index),
                               static_cast<LPARAM>(desktop_rules::PackItemPosition(saved->x, saved->y)));
        }
    }
}

std::optional<std::vector<std::int32_t>> LookAtDesktopIcons() {
    const HWND listView = FindDesktopListView();
    RECT client{};
    if (!listView || !::GetClientRect(listView, &client)) return std::nullopt;
    const auto count = AskDesktopListView(listView, LVM_GETITEMCOUNT);
    if (!count) return std::nullopt;
    std::vector<std::int32_t> look{client.right, client.bottom, static_cast<std::int32_t>(*count)};
    if (*count <= 0) return look;
    const DesktopBracket bracket(listView);
    if (!bracket.InPlace()) return std::nullopt;
    namespace p = list_view_protocol;
    for (int index = 0; index < static_cast<int>(*count); ++index) {
        const auto x = AskDesktopListView(listView, p::kGetItemPosX, static_cast<WPARAM>(index));
        const auto y = AskDesktopListView(listView, p::kGetItemPosY, static_cast<WPARAM>(index));
        if (!x || !y) return std::nullopt;
        look.push_back(static_cast<std::int32_t>(*x));
        look.push_back(static_cast<std::int32_t>(*y));
    }
    return look;
}
