// Every window of the settings, as the DPI of the test prefix shows it: no
// text clips (an image button's caption lines included, which it never
// wraps), the image buttons carry their icon at the DPI's small-icon size,
// the dialogs grow with the DPI, and a screenshot of each for people to look
// at. The program runs in the 96-DPI and in the 144-DPI prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "framework/wide_win32.h"
#include "dialogs/about_box_win32.h"
#include "dialogs/dialog_context_win32.h"
#include "dialogs/settings_dialog_win32.h"
#include "framework/handles_win32.h"
#include "settings/image_list.h"
#include "settings/picture_properties_dialog_win32.h"
#include "settings/settings_records.h"
#include "settings/settings_model.h"
#include "tests/support/dialog_driver_win32.h"
#include "tests/support/screenshot_win32.h"
#include "tests/support/wine_support_win32.h"

using namespace wine_test;

namespace {



std::string ClassOf(HWND window) {
    char name[64] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

bool IsImageButton(HWND control) {
    return ClassOf(control) == "Button" && (::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW;
}

std::string Describe(const std::string& windowName, HWND control) {
    std::ostringstream out;
    out << windowName << ", control " << ::GetDlgCtrlID(control) << " (" << ClassOf(control) << " \""
        << WindowText(control) << "\")";
    return out.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// A DC of the control with the control's own font in it.
class ControlDc {
public:
    explicit ControlDc(HWND control)
        : dc_(control),
          previous_(::SelectObject(dc_.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0)))) {
        ::GetTextMetricsW(dc_.Get(), &metrics_);
    }
    ~ControlDc() { ::SelectObject(dc_.Get(), previous_); }
    HDC Get() const { return dc_.Get(); }
    int LineHeight() const { return metrics_.tmHeight; }
    int AverageWidth() const { return metrics_.tmAveCharWidth; }
    int Width(const std::string& text) const {
        const std::wstring wide = fw::Wide(text);
        SIZE size{};
        ::GetTextExtentPoint32W(dc_.Get(), wide.c_str(), static_cast<int>(wide.size()), &size);
        return size.cx;
    }

private:
    fw::WindowDc dc_;
    HGDIOBJ previous_;
    TEXTMETRICW metrics_{};
};

// Why the control's text does not fit it; nothing when it fits. Each kind
// of control keeps part of itself from its text: the 3-D edge and the focus
// rectangle of a push button, the frame of a group box, the box of a check
// box or a radio button, the icon of an image button, the margins of an
// edit, the arrow of a combo box.
std::optional<std::string> Clipping(HWND control) {
    const std::string kind = ClassOf(control);
    const std::string text = WindowText(control);
    RECT client{};
    ::GetClientRect(control, &client);
    const ControlDc dc(control);
    std::ostringstream why;
    const auto tooNarrow = [&](int needed, int room) {
        if (needed > room) why << "needs " << needed << " pixels across, has " << room;
        return needed > room;
    };
    const auto tooLow = [&](int needed, int room) {
        if (needed > room) why << "needs " << needed << " pixels down, has " << room;
        return needed > room;
    };
    bool clips = false;
    if (kind == "Static" && client.bottom < 2 * dc.LineHeight()) {
        clips = text.find('\n') != std::string::npos ? tooLow(2 * dc.LineHeight(), client.bottom)
                                                     : tooNarrow(dc.Width(text), client.right);
    } else if (kind == "Static") {
        RECT needed{0, 0, client.right, 0};
        ::DrawTextW(dc.Get(), fw::Wide(text).c_str(), -1, &needed, DT_WORDBREAK | DT_EXPANDTABS | DT_CALCRECT);
        clips = tooNarrow(needed.right, client.right) || tooLow(needed.bottom, client.bottom);
    } else if (IsImageButton(control) && text.empty()) {
        clips = tooNarrow(SmallIconSideAtScreenDpi(), client.right) || tooLow(SmallIconSideAtScreenDpi(), client.bottom);
    } else if (IsImageButton(control)) {
        const int room = client.right - (3 + SmallIconSideAtScreenDpi() + 3) - 1;  // and the pressed offset
        const auto lines = Lines(text);
        for (const auto& line : lines) clips = clips || tooNarrow(dc.Width(line), room);
        clips = clips || tooLow(static_cast<int>(lines.size()) * dc.LineHeight(), client.bottom);
    } else if (kind == "Button") {
        const LONG type = ::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            const int edge = ::GetSystemMetrics(SM_CXEDGE) + 1;
            clips = tooNarrow(dc.Width(text) + 2 * edge, client.right) || tooLow(dc.LineHeight(), client.bottom);
        } else if (type == BS_GROUPBOX) {
            clips = tooNarrow(dc.Width(text) + 2 * dc.AverageWidth(), client.right);
        } else {
            // The control's own measure of its box and its text in its font.
            SIZE ideal{};
            if (!::SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal))) {
                return "gives no ideal size: it is no control of the version 6 common controls";
            }
            clips = tooNarrow(ideal.cx, client.right) || tooLow(dc.LineHeight(), client.bottom);
        }
    } else if (kind == "Edit") {
        RECT format{};
        ::SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        clips = tooNarrow(dc.Width(text), format.right - format.left);
    } else if (kind == "SysHeader32") {
        // Each column's title in its column, inside the margins the header keeps.
        const int margin = 3 * ::GetSystemMetrics(SM_CXEDGE);
        const int count = static_cast<int>(::SendMessageW(control, HDM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count && !clips; ++i) {
            wchar_t title[64] = {};
            HDITEMW item{};
            item.mask = HDI_TEXT | HDI_WIDTH;
            item.pszText = title;
            item.cchTextMax = static_cast<int>(std::size(title));
            ::SendMessageW(control, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
            const int width = dc.Width(fw::Narrow(title));
            if (tooNarrow(width + 2 * margin, item.cxy)) why << " (column " << i << ")";
            clips = width + 2 * margin > item.cxy;
        }
    } else if (kind == "ComboBox") {
        COMBOBOXINFO combo{};
        combo.cbSize = sizeof(combo);
        ::GetComboBoxInfo(control, &combo);
        const int count = static_cast<int>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && !clips; ++i) {
            wchar_t item[256] = {};
            ::SendMessageW(control, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
            clips = tooNarrow(dc.Width(fw::Narrow(item)), combo.rcItem.right - combo.rcItem.left);
        }
    }
    return clips ? std::optional<std::string>(why.str()) : std::nullopt;
}

// The settings dialog shows a picture and the widest values its spin
// buttons give, and so does the properties dialog.
class DialogLayout : public ::testing::Test {
protected:
    void SetUp() override {
        live.intervalUnit = 1;
        live.intervalValue = 60;
        AppendPicture(live.imageList, "C:\\pics\\sky.jpg");
        settings.Revert();
    }

    // Opens every window and calls `visit` with its name while it shows: the
    // four tabs of the settings dialog, the properties dialog and the About box.
    void ForEveryWindow(const std::function<void(const std::string& name, HWND window)>& visit) {
        SettingsDialog settings(context);
        RunDriven(settings, [&] { return settings.RunModal(main.Handle()); }, [&](HWND d) {
            const char* names[] = {"settings-images", "settings-interval", "settings-boss-key", "settings-other"};
            for (int tab = 0; tab < 4; ++tab) {
                ShowTab(d, tab);
                visit(names[tab], d);
            }
        });
        PicturePropertiesDialog properties;
        properties.displayMethod = 1;
        properties.magnification = 400;
        properties.transparency = 99;
        RunDriven(properties, [&](HWND d) { visit("picture-properties", d); });
        AboutBox about;
        RunDriven(about, [&](HWND d) { visit("about-box", d); });
    }

    SettingsRecords settings;
    AppSettings& live = settings.Live();
    StandInMainWindow main;
    TempFolder program{"layout"};
    DialogContext context{settings, program.Path(), [](HWND) {}};
};

TEST_F(DialogLayout, EveryTextFitsItsControl) {
    int checked = 0;
    ForEveryWindow([&](const std::string& name, HWND window) {
        ASSERT_TRUE(CaptureWhenPainted(window).painted) << name;
        for (const HWND control : VisibleDescendants(window)) {
            const auto clipping = Clipping(control);
            EXPECT_FALSE(clipping) << Describe(name, control) << " " << clipping.value_or("");
            ++checked;
        }
    });
    EXPECT_GT(checked, 60) << "every window was walked";
}

// BM_GETIMAGE answers with the icon the button draws.
TEST_F(DialogLayout, ImageButtonsShowTheirIconAtTheSmallIconSizeOfTheDpi) {
    int buttons = 0;
    ForEveryWindow([&](const std::string& name, HWND window) {
        for (const HWND control : VisibleDescendants(window)) {
            if (!IsImageButton(control)) continue;
            const auto icon = reinterpret_cast<HICON>(::SendMessageW(control, BM_GETIMAGE, IMAGE_ICON, 0));
            EXPECT_EQ(IconSide(icon), SmallIconSideAtScreenDpi()) << Describe(name, control);
            ++buttons;
        }
    });
    EXPECT_EQ(buttons, 4 * 3 + 4 + 1 + 1) << "OK, 更新 and ｷｬﾝｾﾙ on each tab, the list's four, browse, the About box";
}

// The 96-DPI run writes its sizes down; the 144-DPI run, which ctest runs
// after it, compares its own with them. A dialog unit is a whole number of
// pixels: a quarter of the dialog font's average width, an eighth of its
// height. With the font's true average 1.5 times as large, the whole number
// may be up to 1.25 pixels off 1.5 times the one at 96 DPI, and every
// dialog unit of the size carries that, besides 2 pixels of rounding.
TEST_F(DialogLayout, DialogsAreOneAndAHalfTimesAsLargeAt144Dpi) {
    struct Measure {
        int width, height, unitX, unitY;
    };
    std::map<std::string, Measure> sizes;
    ForEveryWindow([&](const std::string& name, HWND window) {
        RECT client{}, units{0, 0, 4, 8};
        ::GetClientRect(window, &client);
        ::MapDialogRect(window, &units);
        const std::string dialog = name.rfind("settings", 0) == 0 ? "settings" : name;
        sizes[dialog] = {client.right, client.bottom, units.right, units.bottom};
    });
    const std::string reference = BuildFolder() + "\\..\\dialog-sizes-96dpi.txt";
    if (ScreenDpi() == 96) {
        std::ostringstream out;
        for (const auto& [name, m] : sizes) {
            out << name << ' ' << m.width << ' ' << m.height << ' ' << m.unitX << ' ' << m.unitY << '\n';
        }
        ASSERT_TRUE(WriteFileBytes(reference, out.str()));
        GTEST_SKIP() << "the sizes at 96 DPI are what the 144-DPI run compares with";
    }
    ASSERT_EQ(ScreenDpi(), 144u);
    std::istringstream in(ReadFileBytes(reference));
    std::string name;
    Measure at96{};
    std::size_t compared = 0;
    while (in >> name >> at96.width >> at96.height >> at96.unitX >> at96.unitY) {
        ASSERT_EQ(sizes.count(name), 1u) << name;
        const Measure& at144 = sizes[name];
        std::printf("%s: %d x %d pixels at 96 DPI (dialog units of %d, %d / 4, 8), %d x %d at 144 DPI (%d, %d)\n",
                    name.c_str(), at96.width, at96.height, at96.unitX, at96.unitY, at144.width, at144.height,
                    at144.unitX, at144.unitY);
        EXPECT_NEAR(at144.width, 1.5 * at96.width, 2 + 1.25 * at96.width / at96.unitX) << name;
        EXPECT_NEAR(at144.height, 1.5 * at96.height, 2 + 1.25 * at96.height / at96.unitY) << name;
        ++compared;
    }
    EXPECT_EQ(compared, sizes.size()) << "the 96-DPI run wrote every dialog down";
}

// For people to look at: every window at the prefix's DPI, in
// build/mingw/screenshots, once all of it has painted. The tabs differ.
TEST_F(DialogLayout, ScreenshotsOfEveryWindow) {
    std::vector<Screenshot> shots;
    ForEveryWindow([&](const std::string& name, HWND window) {
        const PaintedWindow painted = CaptureWhenPainted(window);
        EXPECT_TRUE(painted.painted) << name;
        for (const HWND blank : painted.blank) ADD_FAILURE() << Describe(name, blank) << " shows nothing";
        EXPECT_TRUE(SaveScreenshot(painted.shot, name + "-" + std::to_string(ScreenDpi()) + "dpi")) << name;
        shots.push_back(painted.shot);
    });
    ASSERT_EQ(shots.size(), 6u);
    for (std::size_t tab = 1; tab < 4; ++tab) EXPECT_FALSE(shots[tab] == shots[tab - 1]) << "tab " << tab;
}

}  // namespace
