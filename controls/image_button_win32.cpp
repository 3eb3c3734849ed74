#include "controls/image_button_win32.h"

#include "framework/wide_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/button_colours.h"
#include "framework/dpi_win32.h"
#include "framework/wide_win32.h"

namespace {

constexpr POINT kImageOrigin{3, 3};
constexpr POINT kPressedOffset{1, 1};
#ifndef WM_DPICHANGED_AFTERPARENT
constexpr UINT WM_DPICHANGED_AFTERPARENT = 0x02E3;
#endif

// An icon's size is twice its hot spot.
SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return {};
    if (info.hbmColor) ::DeleteObject(info.hbmColor);
    if (info.hbmMask) ::DeleteObject(info.hbmMask);
    return {static_cast<LONG>(info.xHotspot * 2), static_cast<LONG>(info.yHotspot * 2)};
}

// A grey copy of the icon: its colour bitmap turned grey, its mask as it is.
HICON GreyCopy(HICON icon) {
    ICONINFO info{};
    if (!icon || !::GetIconInfo(icon, &info)) return nullptr;
    fw::UniqueBitmap colour(info.hbmColor), mask(info.hbmMask);
    BITMAP bitmap{};
    if (!colour || !::GetObjectW(colour.Get(), sizeof(bitmap), &bitmap)) return nullptr;
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), bitmap.bmWidth, bitmap.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<std::uint32_t> pixels(static_cast<size_t>(bitmap.bmWidth) * bitmap.bmHeight);
    fw::WindowDc screen(nullptr);
    if (!::GetDIBits(screen.Get(), colour.Get(), 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS)) {
        return nullptr;
    }
    for (auto& pixel : pixels) pixel = GreyPixel(pixel);
    fw::UniqueBitmap grey(::CreateCompatibleBitmap(screen.Get(), bitmap.bmWidth, bitmap.bmHeight));
    ::SetDIBits(screen.Get(), grey.Get(), 0, bitmap.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ICONINFO greyInfo{TRUE, info.xHotspot, info.yHotspot, mask.Get(), grey.Get()};
    return ::CreateIconIndirect(&greyInfo);
}

}  // namespace

ImageButton::ImageButton() { ResetColours(); }

ImageButton::~ImageButton() {
    if (tooltip_) ::DestroyWindow(tooltip_);
}

void ImageButton::ResetColours() {
    for (int i = 0; i < kColours; ++i) {
        colours_[i] = ::GetSysColor(i % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT);
    }
}

bool ImageButton::Bind(HWND dialog, int id, const ImageButtonStyle& look) {
    const HWND button = ::GetDlgItem(dialog, id);
    if (!Subclass(button)) return false;
    const LONG style = ::GetWindowLongW(button, GWL_STYLE);
    defaultButton_ = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    ::SetWindowLongW(button, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    ::SetWindowPos(button, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    SetBorder(look.border, false);
    SetIcons(look.inIcon, look.outIcon);
    OffsetColour(HoverBackground, look.hoverLighter, false);
    if (look.tooltip) SetTooltipText(look.tooltip, true);
    return true;
}

void ImageButton::SetBorder(bool on, bool repaint) {
    border_ = on;
    if (repaint) ::InvalidateRect(Handle(), nullptr, TRUE);
}

void ImageButton::SetIcons(int inIcon, int outIcon) {
    inIconId_ = inIcon;
    outIconId_ = outIcon;
    LoadIcons();
}

void ImageButton::LoadIcons() {
    const int size = fw::SmallIconSize(fw::WindowDpi(Handle()));
    inIcon_.Reset(fw::LoadIconOfSize(inIconId_, size));
    inSize_ = IconSize(inIcon_.Get());
    outIcon_.Reset(outIconId_ == ImageButtonStyle::kGreyOutIcon ? GreyCopy(inIcon_.Get())
                   : outIconId_               ? fw::LoadIconOfSize(outIconId_, size)
                                              : nullptr);
    outSize_ = IconSize(outIcon_.Get());
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

int ImageButton::OffsetColour(int index, int offset, bool repaint) {
    if (index < 0 || index >= kColours) return 3;
    if (offset < -255 || offset > 255) return 5;
    colours_[index] = ::OffsetColour(colours_[index], offset);
    if (repaint) ::InvalidateRect(Handle(), nullptr, TRUE);
    return 0;
}

void ImageButton::CreateTooltip() {
    if (tooltip_ || !Handle()) return;
    tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, fw::ModuleInstance(), nullptr);
    ::SendMessageW(tooltip_, TTM_ACTIVATE, FALSE, 0);
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
}

void ImageButton::SetTooltipText(const char* text, bool activate) {
    if (!text) return;
    CreateTooltip();
    std::wstring wide = fw::Wide(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = Handle();
    tool.uId = 1;
    tool.lpszText = wide.data();
    if (!::SendMessageW(tooltip_, TTM_GETTOOLCOUNT, 0, 0)) {
        ::GetClientRect(Handle(), &tool.rect);
        ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(tooltip_, TTM_ACTIVATE, activate, 0);
}

void ImageButton::StopHovering() {
    if (!hovered_) return;
    hovered_ = false;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

bool ImageButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CreateTooltip();
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        MSG relayed{Handle(), message, wParam, lParam, 0, {}};
        ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    switch (message) {
    case WM_LBUTTONDBLCLK:  // a double click is two presses, not one press and a double click
        result = DefaultProc(WM_LBUTTONDOWN, wParam, lParam);
        return true;
    case BM_GETIMAGE:
        result = wParam == IMAGE_ICON ? reinterpret_cast<LRESULT>(inIcon_.Get()) : 0;
        return true;
    case WM_DPICHANGED_AFTERPARENT:
        if (inIconId_) LoadIcons();
        break;
    case WM_GETDLGCODE:
        result = DefaultProc(message, wParam, lParam) | (defaultButton_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return true;
    case BM_SETSTYLE:
        if ((wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON || (wParam & BS_TYPEMASK) == BS_PUSHBUTTON) {
            defaultButton_ = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        }
        result = DefaultProc(message, (wParam & ~BS_TYPEMASK) | BS_OWNERDRAW, lParam);
        return true;
    case fw::kReflectBase + WM_CTLCOLORBTN:
        result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
        return true;
    case fw::kReflectBase + WM_DRAWITEM:
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    case fw::kReflectBase + WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) ::SetFocus(Handle());
        result = 0;
        return true;
    case WM_SYSCOLORCHANGE:
        result = DefaultProc(message, wParam, lParam);
        ResetColours();
        ::InvalidateRect(Handle(), nullptr, TRUE);
        return true;
    case WM_MOUSEMOVE: {
        // Held down elsewhere and dragged over, the button does not light up.
        if ((wParam & MK_LBUTTON) && !hovered_) break;
        POINT cursor{};
        ::GetCursorPos(&cursor);
        if (::WindowFromPoint(cursor) == Handle()) {
            if (!hovered_) {
                hovered_ = true;
                ::InvalidateRect(Handle(), nullptr, TRUE);
                TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
                ::_TrackMouseEvent(&track);
            }
        } else {
            StopHovering();
        }
        break;
    }
    case WM_MOUSELEAVE:
    case WM_KILLFOCUS:
    case WM_CANCELMODE:
        StopHovering();
        break;
    case WM_ENABLE:
        if (!wParam) {
            StopHovering();
            // A button greyed while it has the focus hands it on.
            if (::GetFocus() == Handle()) {
                const HWND parent = ::GetParent(Handle());
                const HWND next = ::GetNextDlgTabItem(parent, Handle(), FALSE);
                ::SetFocus(next && next != Handle() ? next : parent);
            }
        }
        break;
    default:
        break;
    }
    return false;
}

void ImageButton::Draw(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    RECT area = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    const bool disabled = item.itemState & ODS_DISABLED;
    const bool lit = (hovered_ && !disabled) || pressed;
    ::SetBkMode(dc, TRANSPARENT);

    const COLORREF background = lit ? colours_[HoverBackground] : focused ? colours_[FocusBackground] : colours_[RestBackground];
    fw::UniqueBrush brush(::CreateSolidBrush(background));
    ::FillRect(dc, &area, brush.Get());
    if (border_ && (pressed || lit)) {
        const COLORREF topLeft = ::GetSysColor(pressed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
        const COLORREF bottomRight = ::GetSysColor(pressed ? COLOR_BTNHIGHLIGHT : COLOR_BTNSHADOW);
        fw::UniqueBrush first(::CreateSolidBrush(topLeft)), second(::CreateSolidBrush(bottomRight));
        RECT edge = {area.left, area.top, area.right, area.top + 1};
        ::FillRect(dc, &edge, first.Get());
        edge = {area.left, area.top, area.left + 1, area.bottom};
        ::FillRect(dc, &edge, first.Get());
        edge = {area.left, area.bottom - 1, area.right, area.bottom};
        ::FillRect(dc, &edge, second.Get());
        edge = {area.right - 1, area.top, area.right, area.bottom};
        ::FillRect(dc, &edge, second.Get());
    }

    const int length = ::GetWindowTextLengthW(Handle());
    std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
    caption.resize(static_cast<size_t>(std::max(::GetWindowTextW(Handle(), caption.data(), length + 1), 0)));
    const int shift = pressed ? 1 : 0;

    const bool useIn = lit || !outIcon_;
    const HICON icon = useIn ? inIcon_.Get() : outIcon_.Get();
    const SIZE size = useIn ? inSize_ : outSize_;
    RECT text = area;
    if (icon) {
        const int height = area.bottom - area.top, width = area.right - area.left;
        int x = caption.empty() ? (width - size.cx) / 2 : kImageOrigin.x;
        int y = (height - size.cy) / 2;
        x += shift * kPressedOffset.x;
        y += shift * kPressedOffset.y;
        ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, area.left + x, area.top + y, size.cx,
                     size.cy, DST_ICON | (disabled ? DSS_DISABLED : DSS_NORMAL));
        text.left += kImageOrigin.x + size.cx + 3;
    }
    if (caption.empty()) return;
    RECT measured = text;
    // Lines break where the caption says, never to fit the width.
    ::DrawTextW(dc, caption.c_str(), -1, &measured, DT_CENTER | DT_CALCRECT);
    const int offsetY = ((text.bottom - text.top) - (measured.bottom - measured.top)) / 2;
    text.top += offsetY + shift;
    text.bottom = text.top + (measured.bottom - measured.top);
    ::OffsetRect(&text, shift, 0);
    if (disabled) {
        RECT raised = text;
        ::OffsetRect(&raised, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(dc, caption.c_str(), -1, &raised, DT_CENTER);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
    } else {
        ::SetTextColor(dc, lit ? colours_[HoverText] : colours_[RestText]);
    }
    ::DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER);
}
