// The test side of the fake shell: starts it, fills it, asks it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/fake_shell_protocol.h"
#include "tests/support/wine_support_win32.h"

namespace wine_test {

// An icon of the fake shell; its text is UTF-8.
struct FakeItem {
    std::string text;
    int x;
    int y;
};

class FakeShell {
public:
    enum class Shape { Progman, WorkerW };

    // Starts the fake shell and waits until it answers.
    explicit FakeShell(Shape shape = Shape::Progman);
    ~FakeShell();
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    bool Ready() const { return control_ != nullptr; }
    DWORD ProcessId() const { return process_.Id(); }
    LRESULT Ask(fake_shell::Query query, WPARAM wParam = 0) const;
    void SetItems(const std::vector<FakeItem>& items) const;
    std::string Text(int index) const;
    std::vector<std::string> Texts() const;
    POINT Position(int index) const;
    // Returns once the fake shell has taken every message posted to its
    // thread before this call, hooks included.
    bool Drain() const;
    // For `ms` from now the shell's thread answers sent messages only.
    void Stall(DWORD ms) const { ::PostMessageW(control_, fake_shell::kStall, ms, 0); }

private:
    ChildProcess process_;
    HWND control_ = nullptr;
};

}  // namespace wine_test
