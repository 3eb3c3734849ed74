// The boss hotkey: one system-wide key combination of the main window.
#pragma once

#include <windows.h>

#include <cstdint>

inline constexpr int kBossHotkeyId = 256;

// Registers the stored word (low byte virtual key, high byte MOD_* flags)
// for the window when it is not 0; a combination another program holds is
// reported with the fixed message, owned by `messageOwner`. False when
// registration failed.
bool RegisterBossHotkey(HWND window, std::uint16_t hotkey, HWND messageOwner);
