#include "tests/support/fake_shell_win32.h"

namespace wine_test {

FakeShell::FakeShell(Shape shape) {
    const std::string exe = BuildFolder() + "\\fake_shell.exe";
    const std::string arguments = shape == Shape::WorkerW ? "workerw" : "progman";
    if (!process_.Start(exe, BuildFolder(), arguments)) return;
    control_ = WaitForProcessWindow(process_.Id(), fake_shell::kControlClass);
}

FakeShell::~FakeShell() {
    if (control_) ::PostMessageA(control_, fake_shell::kQuit, 0, 0);
    process_.WaitForExit();
}

LRESULT FakeShell::Ask(fake_shell::Query query, WPARAM wParam) const {
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(control_, query, wParam, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &answer);
    return static_cast<LRESULT>(answer);
}

void FakeShell::SetItems(const std::vector<FakeItem>& items) const {
    std::string lines;
    for (const auto& item : items) {
        lines += item.text + "\t" + std::to_string(item.x) + "\t" + std::to_string(item.y) + "\n";
    }
    COPYDATASTRUCT data{fake_shell::kSetItems, static_cast<DWORD>(lines.size()), lines.data()};
    DWORD_PTR answer = 0;
    ::SendMessageTimeoutA(control_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kTimeoutMs,
                          &answer);
}

std::string FakeShell::Text(int index) const {
    const auto atom = static_cast<ATOM>(Ask(fake_shell::kItemText, static_cast<WPARAM>(index)));
    if (!atom) return {};
    char name[256] = {};
    const UINT length = ::GlobalGetAtomNameA(atom, name, sizeof(name));
    ::GlobalDeleteAtom(atom);
    return std::string(name, length);
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
    ::PostMessageA(control_, fake_shell::kMark, expected, 0);
    return WaitFor([&] { return static_cast<WPARAM>(Ask(fake_shell::kLastMark)) == expected; });
}

}  // namespace wine_test
