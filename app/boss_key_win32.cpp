#include "app/boss_key_win32.h"

#include "framework/message_box_win32.h"
#include "resources/texts.h"

bool RegisterBossHotkey(HWND window, std::uint16_t hotkey, HWND messageOwner) {
    if (hotkey == 0) return true;
    if (::RegisterHotKey(window, kBossHotkeyId, hotkey >> 8, hotkey & 0xFF)) return true;
    fw::ShowMessage(messageOwner, texts::kHotkeyFailed, MB_OK);
    return false;
}
