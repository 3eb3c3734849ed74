#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "framework/wide_win32.h"
#include "hook/iconmire_win32.h"
#include "hook/list_view_protocol.h"
#include "tests/support/fake_shell_client_win32.h"

using namespace wine_test;
namespace p = list_view_protocol;

namespace {

LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageW(GetDesktopListView(), message, wParam, lParam);
}

// Subclasses and waits until the fake shell has taken the request.
void Begin(const FakeShell& shell) {
    ASSERT_TRUE(BeginSubclassDesktopListView());
    ASSERT_TRUE(shell.Drain());
}

std::string TextOfAtom(LRESULT answer) {
    const auto atom = static_cast<ATOM>(answer);
    wchar_t name[256] = {};
    const UINT length = ::GlobalGetAtomNameW(atom, name, 256);
    ::GlobalDeleteAtom(atom);
    return fw::Narrow(std::wstring_view(name, length));
}

std::string Repeat(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) repeated += text;
    return repeated;
}

TEST(DesktopLookup, FindsNothingWithoutAShell) {
    EXPECT_EQ(GetDesktopListView(), nullptr);
    EXPECT_FALSE(BeginSubclassDesktopListView());
    EXPECT_FALSE(EndSubclassDesktopListView());
}

TEST(DesktopLookup, FindsTheListViewUnderProgmanOrUnderAWorkerW) {
    for (const auto shape : {FakeShell::Shape::Progman, FakeShell::Shape::WorkerW}) {
        FakeShell shell(shape);
        ASSERT_TRUE(shell.Ready());
        const HWND listView = GetDesktopListView();
        ASSERT_NE(listView, nullptr);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(listView, &owner);
        EXPECT_EQ(owner, shell.ProcessId());
        wchar_t className[64] = {};
        ::GetClassNameW(listView, className, 64);
        EXPECT_STREQ(className, L"SysListView32");
    }
}

class Protocol : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(shell.Ready());
        shell.SetItems({{"ごみ箱", 10, 20}, {"Readme", 300, 40}, {std::string(300, 'L'), 500, 60}});
    }
    FakeShell shell;
};

TEST_F(Protocol, AnswersPositionsWidthsAndTextsInsideABracket) {
    Begin(shell);
    EXPECT_EQ(shell.Ask(fake_shell::kIconmireLoaded), 1);
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 0);
    EXPECT_EQ(Send(p::kGetItemPosX, 0), 10);
    EXPECT_EQ(Send(p::kGetItemPosY, 0), 20);
    EXPECT_EQ(Send(p::kGetItemPosX, 1), 300);
    EXPECT_EQ(static_cast<int>(Send(p::kGetItemPosX, 3)), -1);  // past the last item
    EXPECT_EQ(static_cast<int>(Send(p::kGetItemPosY, 3)), -1);
    EXPECT_EQ(Send(p::kGetItemWidth, 0), shell.Ask(fake_shell::kItemWidth, 0));
    EXPECT_EQ(Send(p::kGetItemWidth, 1), shell.Ask(fake_shell::kItemWidth, 1));
    EXPECT_NE(Send(p::kGetItemWidth, 0), Send(p::kGetItemWidth, 2)) << "each item's own width";
    EXPECT_EQ(Send(p::kGetItemWidth, 3), 0);

    const LRESULT atom = Send(p::kGetText, 0);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(::GlobalFindAtomW(L"ごみ箱"), static_cast<ATOM>(atom)) << "the text travels as a global atom";
    EXPECT_EQ(TextOfAtom(atom), "ごみ箱");
    EXPECT_EQ(Send(p::kGetText, 2), 0) << "a text over 255 characters has no atom";
    EXPECT_EQ(Send(p::kGetText, 3), 0) << "no such item";

    EXPECT_TRUE(EndSubclassDesktopListView());
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
}

// The atom holds the text in UTF-16: any name arrives whole, and the limit
// is the atom's 255 UTF-16 units, not what a code page would need.
TEST_F(Protocol, TextsArriveWholeUpToTheAtomsLimit) {
    const std::string kana255 = Repeat("あ", 255);  // 510 bytes in code page 932
    const struct {
        std::string text;
        bool delivered;
    } cases[] = {
        {"été-한글", true},
        {"📁 Projets ☕", true},
        {kana255, true},
        {kana255 + "あ", false},
        {Repeat("😀", 127) + "x", true},  // 255 units, two for each emoji
        {Repeat("😀", 128), false},
    };
    std::vector<FakeItem> items;
    for (const auto& c : cases) items.push_back({c.text, 0, 0});
    shell.SetItems(items);
    Begin(shell);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const LRESULT atom = Send(p::kGetText, i);
        if (!cases[i].delivered) {
            EXPECT_EQ(atom, 0) << i;
            continue;
        }
        ASSERT_NE(atom, 0) << i;
        EXPECT_EQ(TextOfAtom(atom), cases[i].text) << i;
    }
    EXPECT_TRUE(EndSubclassDesktopListView());
}

TEST_F(Protocol, WindowLongSetsTheStyleAndRefusesEveryOtherIndex) {
    Begin(shell);
    const LRESULT style = shell.Ask(fake_shell::kStyle);
    EXPECT_EQ(static_cast<LONG>(Send(p::kSetWindowLong, static_cast<WPARAM>(GWL_STYLE), style | LVS_SMALLICON)),
              static_cast<LONG>(style));
    EXPECT_EQ(shell.Ask(fake_shell::kStyle) & LVS_TYPEMASK, LVS_SMALLICON);

    const LRESULT userData = shell.Ask(fake_shell::kUserData);
    EXPECT_EQ(Send(p::kSetWindowLong, static_cast<WPARAM>(GWLP_WNDPROC), 0x1234), 0);
    EXPECT_EQ(Send(p::kSetWindowLong, static_cast<WPARAM>(GWLP_USERDATA), 7), 0);
    EXPECT_EQ(Send(p::kSetWindowLong, static_cast<WPARAM>(GWL_EXSTYLE), 0), 0);
    EXPECT_EQ(shell.Ask(fake_shell::kUserData), userData);
    EXPECT_TRUE(EndSubclassDesktopListView());
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
    EXPECT_EQ(shell.Ask(fake_shell::kItemCount), 3);
}

TEST_F(Protocol, BracketsRepeatAndASecondSubclassRequestChangesNothing) {
    for (int bracket = 0; bracket < 2; ++bracket) {
        Begin(shell);
        EXPECT_EQ(Send(p::kGetItemPosX, 1), 300) << bracket;
        EXPECT_TRUE(EndSubclassDesktopListView());
        EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1) << bracket;
    }
    Begin(shell);
    const DWORD thread = ::GetWindowThreadProcessId(GetDesktopListView(), nullptr);
    ASSERT_TRUE(::PostThreadMessageW(thread, p::kSubclass, 0, 0));
    ASSERT_TRUE(shell.Drain());
    EXPECT_EQ(Send(p::kGetItemPosY, 1), 40);
    EXPECT_TRUE(EndSubclassDesktopListView());
    // Had the second request saved the subclass as the "own" procedure, the
    // unsubclass would have left it in place.
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
}

TEST_F(Protocol, ListViewDestroyedWhileSubclassedLeavesTheShellWorking) {
    Begin(shell);
    EXPECT_EQ(shell.Ask(fake_shell::kDestroyListView), TRUE);
    EXPECT_EQ(shell.Ask(fake_shell::kCreateListView), 1);
    EndSubclassDesktopListView();
    shell.SetItems({{"new", 7, 8}});
    Begin(shell);
    EXPECT_EQ(Send(p::kGetItemPosX, 0), 7);
    EXPECT_TRUE(EndSubclassDesktopListView());
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
}

TEST_F(Protocol, ProgramEndingInsideABracketLeavesTheShellWorking) {
    ChildProcess client;
    ASSERT_TRUE(client.Start(BuildFolder() + "\\bracket_client.exe", BuildFolder()));
    ASSERT_EQ(client.WaitForExit(), std::optional<DWORD>(0));
    ASSERT_TRUE(shell.Drain());
    EXPECT_EQ(shell.Ask(fake_shell::kIconmireLoaded), 1);
    // The client's hook went with it; a new bracket still works and ends
    // the subclass the client left behind.
    Begin(shell);
    EXPECT_EQ(Send(p::kGetItemPosX, 1), 300);
    EXPECT_TRUE(EndSubclassDesktopListView());
    EXPECT_EQ(shell.Ask(fake_shell::kOwnProcedure), 1);
    EXPECT_EQ(shell.Ask(fake_shell::kItemCount), 3);
}

}  // namespace
