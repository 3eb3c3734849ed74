// Message maps: a table per window class from message, command or
// control notification to one member function.
#pragma once

#include <windows.h>

namespace fw {

template <class T>
struct MessageEntry {
    enum class Kind { Message, Command };
    using MessageHandler = LRESULT (T::*)(WPARAM, LPARAM);
    using CommandHandler = void (T::*)();

    Kind kind;
    UINT key;   // message number, or control / command id
    UINT code;  // notification code of a Command entry
    MessageHandler onMessage = nullptr;
    CommandHandler onCommand = nullptr;
};

// Any message, registered ones included.
template <class T>
MessageEntry<T> OnMessage(UINT message, LRESULT (T::*handler)(WPARAM, LPARAM)) {
    return {MessageEntry<T>::Kind::Message, message, 0, handler, nullptr};
}

// WM_COMMAND from a menu item, an accelerator or a button click (BN_CLICKED).
template <class T>
MessageEntry<T> OnCommand(UINT id, void (T::*handler)()) {
    return {MessageEntry<T>::Kind::Command, id, BN_CLICKED, nullptr, handler};
}

// WM_COMMAND with another notification code, such as EN_CHANGE.
template <class T>
MessageEntry<T> OnNotification(UINT id, UINT code, void (T::*handler)()) {
    return {MessageEntry<T>::Kind::Command, id, code, nullptr, handler};
}

// Runs the entry of the map (an array or span of entries) that matches;
// false when none does.
template <class T, class Map>
bool Dispatch(const Map& map, T* self, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    using Kind = typename MessageEntry<T>::Kind;
    for (const auto& entry : map) {
        switch (entry.kind) {
        case Kind::Message:
            if (message == entry.key) {
                result = (self->*entry.onMessage)(wParam, lParam);
                return true;
            }
            break;
        case Kind::Command:
            // Accelerators send code 1, which counts as a click.
            if (message == WM_COMMAND && LOWORD(wParam) == entry.key &&
                (HIWORD(wParam) == entry.code || (entry.code == BN_CLICKED && HIWORD(wParam) == 1))) {
                (self->*entry.onCommand)();
                result = 0;
                return true;
            }
            break;
        }
    }
    return false;
}

}  // namespace fw
