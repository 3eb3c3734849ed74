#include "tests/support/fake_shell_client_win32.h"

#include "framework/wide_win32.h"

namespace wine_test {

FakeShell::FakeShell(Shape shape) {
    const std::string exe = BuildFolder() + "\\fake_shell.exe";
    const std::string arguments = shape == Shape::WorkerW ? "workerw" : "progman";
    if (!process_.Start(exe, BuildFolder(), arguments)) return;
    control_ = WaitForProcessWindow(process_.Id(), fw::Narrow(fake_shell::kControlClass).c_str());
}

FakeShell::~FakeShell() {
    if (control_) ::PostMessageW(control_, fake_shell::kQuit, 0, 0);
    process_.WaitForExit();
}

LRESULT FakeShell::Ask(fake_shell::Query query, WPARAM wParam) const {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(control_, query, wParam, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer);
    return static_cast<LRESULT>(answer);
}

void FakeShell::SetItems(const std::vector<FakeItem>& items) const {
    std::wstring lines;
    for (const auto& item : items) {
        lines += fw::Wide(item.text) + L"\t" + std::to_wstring(item.x) + L"\t" + std::to_wstring(item.y) + L"\n";
    }
    COPYDATASTRUCT data{fake_shell::kSetItems, static_cast<DWORD>(lines.size() * sizeof(wchar_t)), lines.data()};
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutW(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kTimeoutMs,
                          &answer);
}

std::string FakeShell::Text(int index) const {
    const auto atom = static_cast<ATOM>(Ask(fake_shell::kItemText, static_cast<WPARAM>(index)));
    if (!atom) return {};
    wchar_t name[256] = {};
    const UINT length = ::GlobalGetAtomNameW(atom, name, 256);
    ::GlobalDeleteAtom(atom);
    return fw::Narrow(std::wstring_view(name, length));
}

std::vector<std::string> FakeShell::Texts() const {
    std::vector<std::string> texts;
    const auto count = static_cast<int>(Ask(fake_shell::kItemCount));
    for (int i = 0; i < count; ++i) texts.push_back(Text(i));
    return texts;
}

POINT FakeShell::Position(int index) const {
    return {static_cast<LONG>(static_cast<int>(Ask(fake_shell::kItemX, static_cast<WPARAM>(index)))),
            static_cast<LONG>(static_cast<int>(Ask(fake_shell::kItemY, static_cast<WPARAM>(index))))};
}

bool FakeShell::Drain() const {
    static WPARAM mark = 0;
    const WPARAM expected = ++mark;
    ::PostMessageW(control_, fake_shell::kMark, expected, 0);
    return WaitFor([&] { return static_cast<WPARAM>(Ask(fake_shell::kLastMark)) == expected; });
}

}  // namespace wine_test
