// The hidden main window: it is never shown and exists to receive the
// program's messages.
#pragma once

#include <windows.h>

#include <span>

#include "framework/window_win32.h"

class CMainFrame : public fw::Window {
public:
    CMainFrame();
    ~CMainFrame() override;

    bool Create();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnFinalMessage() override;

private:
    static std::span<const fw::MessageEntry<CMainFrame>> Messages();

    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
};
