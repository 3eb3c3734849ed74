#include <gtest/gtest.h>

#include <windows.h>

#include <new>
#include <span>
#include <optional>
#include <string>

#include "framework/cp932.h"
#include "framework/wide_win32.h"
#include "framework/dialog_win32.h"
#include "framework/handles_win32.h"
#include "framework/window_win32.h"

namespace {

constexpr UINT kAsk = WM_APP + 1;
constexpr UINT kCommandId = 100;

class MappedWindow : public fw::Window {
public:
    int commands = 0;

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        static const fw::MessageEntry<MappedWindow> map[] = {
            fw::OnMessage(kAsk, &MappedWindow::OnAsk),
            fw::OnCommand(kCommandId, &MappedWindow::OnCommandId),
        };
        return fw::Dispatch(map, this, message, wParam, lParam, result);
    }

private:
    LRESULT OnAsk(WPARAM wParam, LPARAM lParam) { return static_cast<LRESULT>(wParam + lParam); }
    void OnCommandId() { ++commands; }
};

TEST(WindowLayer, MessageMapHandlesItsEntriesAndLeavesTheRestToTheDefault) {
    MappedWindow window;
    ASSERT_TRUE(window.Create(L"VistaloomTestWindow", "タイトル", WS_OVERLAPPEDWINDOW, 0, 0, 0, 100, 100));
    const HWND hwnd = window.Handle();
    EXPECT_EQ(::SendMessageW(hwnd, kAsk, 40, 2), 42);
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kCommandId, BN_CLICKED), 0);
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kCommandId, 1), 0);            // accelerator
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(kCommandId, EN_CHANGE), 0);    // another notification
    EXPECT_EQ(window.commands, 2);
    wchar_t title[64] = {};
    ::GetWindowTextW(hwnd, title, 64);
    EXPECT_STREQ(title, L"タイトル");

    ::DestroyWindow(hwnd);
    EXPECT_EQ(window.Handle(), nullptr);
    EXPECT_FALSE(::IsWindow(hwnd));
}

// Swallows one letter typed into an edit control.
class NoXEdit : public fw::Window {
protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message == WM_CHAR && wParam == 'x') {
            result = 0;
            return true;
        }
        return false;
    }
};

TEST(WindowLayer, SubclassedControlKeepsItsOwnBehaviourForTheRest) {
    const HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                        ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    NoXEdit subclass;
    ASSERT_TRUE(subclass.Subclass(edit));
    for (char c : std::string("axbxc")) ::SendMessageW(edit, WM_CHAR, static_cast<WPARAM>(c), 0);
    wchar_t text[16] = {};
    ::GetWindowTextW(edit, text, 16);
    EXPECT_STREQ(text, L"abc");

    ::DestroyWindow(edit);
    EXPECT_EQ(subclass.Handle(), nullptr);

    // An object that goes first gives the control its procedure back.
    const HWND second = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr,
                                          ::GetModuleHandleW(nullptr), nullptr);
    {
        NoXEdit shortLived;
        ASSERT_TRUE(shortLived.Subclass(second));
        EXPECT_NE(::GetWindowLongPtrW(second, GWLP_WNDPROC), ownProc);
    }
    EXPECT_EQ(::GetWindowLongPtrW(second, GWLP_WNDPROC), ownProc);
    ::DestroyWindow(second);
}

class TestDialog : public fw::Dialog {
public:
    TestDialog() : fw::Dialog(100) {}
    std::string textAtInit;
    std::string textAtOk;
    bool endWithCustomCode = false;

protected:
    BOOL OnInitDialog() override {
        SetItemText(101, "初期値");
        textAtInit = ItemText(101);
        ::PostMessageW(Handle(), endWithCustomCode ? WM_APP : WM_COMMAND, IDOK, 0);
        return TRUE;
    }
    void OnOK() override {
        textAtOk = ItemText(101);
        fw::Dialog::OnOK();
    }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message != WM_APP) return false;
        End(7);
        return true;
    }
};

TEST(DialogLayer, ModalDialogRunsFromItsResourceAndEndsWithItsResult) {
    TestDialog ok;
    EXPECT_EQ(ok.RunModal(nullptr), IDOK);
    EXPECT_EQ(ok.textAtInit, "初期値");
    EXPECT_EQ(ok.textAtOk, "初期値");

    TestDialog custom;
    custom.endWithCustomCode = true;
    EXPECT_EQ(custom.RunModal(nullptr), 7);
    EXPECT_TRUE(custom.textAtOk.empty());
}

TEST(DialogLayer, ChildDialogLivesInsideItsParent) {
    MappedWindow parent;
    ASSERT_TRUE(parent.Create(L"VistaloomTestWindow", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 0, 300, 200));
    fw::Dialog page(100);
    ASSERT_TRUE(page.CreateChild(parent.Handle()));
    EXPECT_EQ(::GetParent(page.Handle()), parent.Handle());
    EXPECT_NE(page.Item(101), nullptr);
    ::DestroyWindow(parent.Handle());
    EXPECT_EQ(page.Handle(), nullptr);
}

// Handlers that run out of memory: the message fails, the program goes on.
class ThrowingWindow : public fw::Window {
protected:
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message != kAsk) return false;
        throw std::bad_alloc();
    }
};

class ThrowingDialog : public fw::Dialog {
public:
    explicit ThrowingDialog(bool inInit) : fw::Dialog(100), inInit_(inInit) {}

protected:
    BOOL OnInitDialog() override {
        if (inInit_) throw std::bad_alloc();
        ::PostMessageW(Handle(), kAsk, 0, 0);
        return TRUE;
    }
    bool OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
        if (message != kAsk) return false;
        ::PostMessageW(Handle(), WM_COMMAND, IDCANCEL, 0);  // after the throw: the dialog still runs
        throw std::bad_alloc();
    }

private:
    bool inInit_;
};

TEST(WindowLayer, AHandlerThatThrowsFailsItsMessageAndNothingElse) {
    ThrowingWindow window;
    ASSERT_TRUE(window.Create(L"VistaloomThrowingWindow", "", WS_POPUP, 0, 0, 0, 10, 10));
    EXPECT_EQ(::SendMessageW(window.Handle(), kAsk, 0, 0), 0);
    EXPECT_TRUE(::IsWindow(window.Handle()));

    ThrowingDialog running(false);
    EXPECT_EQ(running.RunModal(nullptr), IDCANCEL);
    ThrowingDialog failing(true);
    EXPECT_EQ(failing.RunModal(nullptr), -1) << "a dialog that cannot set itself up is not shown";
}

TEST(Handles, OwnersCloseOnceAndMoveOwnership) {
    fw::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const HANDLE raw = event.Get();
    DWORD flags = 0;
    fw::UniqueHandle moved = std::move(event);
    EXPECT_FALSE(event);
    EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    moved.Reset();
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));

    fw::UniqueHandle noFile(::CreateFileA("Z:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(noFile);  // INVALID_HANDLE_VALUE counts as no handle
}

// The settings file's code page is 932 whatever the system's is, and a text
// it cannot hold exactly is refused rather than given a look-alike.
TEST(Cp932, ConvertsWithCodePage932AndRefusesWhatItCannotHold) {
    const struct {
        std::u16string text;
        std::optional<std::string> bytes;
    } cases[] = {
        {u"表示", "\x95\x5C\x8E\xA6"}, {u"ﾀﾞｲｱﾛｸﾞ", "\xC0\xDE\xB2\xB1\xDB\xB8\xDE"}, {u"", ""},
        {u"é", std::nullopt},  // a best fit would make it "e"
        {u"한", std::nullopt},   {u"😀", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cp932::Encode(c.text), c.bytes) << fw::Narrow(std::wstring(c.text.begin(), c.text.end()));
        if (c.bytes) {
            EXPECT_EQ(cp932::Decode(*c.bytes), c.text);
        }
    }
}

}  // namespace
