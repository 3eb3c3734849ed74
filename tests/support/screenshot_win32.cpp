#include "tests/support/screenshot_win32.h"

#include <wincodec.h>

#include <set>

#include "framework/wide_win32.h"
#include "framework/handles_win32.h"
#include "tests/support/wine_support_win32.h"

namespace wine_test {

std::size_t Screenshot::Colours() const { return std::set<COLORREF>(pixels.begin(), pixels.end()).size(); }

Screenshot Screenshot::Part(const RECT& area) const {
    RECT inside{};
    const RECT whole{0, 0, width, height};
    ::IntersectRect(&inside, &area, &whole);
    Screenshot part{inside.right - inside.left, inside.bottom - inside.top, {}};
    for (int y = inside.top; y < inside.bottom; ++y) {
        const auto row = pixels.begin() + static_cast<std::ptrdiff_t>(y) * width;
        part.pixels.insert(part.pixels.end(), row + inside.left, row + inside.right);
    }
    return part;
}

Screenshot CaptureWindow(HWND window) {
    RECT area{};
    ::GetWindowRect(window, &area);
    return {area.right - area.left, area.bottom - area.top, ScreenPixels(area)};
}

std::vector<HWND> VisibleDescendants(HWND window) {
    std::vector<HWND> found;
    ::EnumChildWindows(
        window,
        [](HWND child, LPARAM list) -> BOOL {
            if (::IsWindowVisible(child)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

namespace {

// A window with an update region has paint still to come.
bool HasPainted(HWND window) { return !::GetUpdateRect(window, nullptr, FALSE); }

}  // namespace

PaintedWindow CaptureWhenPainted(HWND window, DWORD timeoutMs) {
    PaintedWindow result;
    Screenshot previous;
    result.painted = WaitFor(
        [&] {
            const std::vector<HWND> children = VisibleDescendants(window);
            if (!HasPainted(window)) return false;
            for (const HWND child : children) {
                if (!HasPainted(child)) return false;
            }
            previous = std::move(result.shot);
            result.shot = CaptureWindow(window);
            RECT frame{};
            ::GetWindowRect(window, &frame);
            result.blank.clear();
            for (const HWND child : children) {
                RECT area{};
                ::GetWindowRect(child, &area);
                ::OffsetRect(&area, -frame.left, -frame.top);
                if (result.shot.Part(area).Colours() <= 1) result.blank.push_back(child);
            }
            return result.blank.empty() && result.shot == previous;
        },
        timeoutMs);
    return result;
}

bool SaveScreenshot(const Screenshot& shot, const std::string& name) {
    const std::string folder = BuildFolder() + "\\..\\screenshots";
    ::CreateDirectoryW(fw::Wide(folder).c_str(), nullptr);
    const std::wstring path = fw::Wide(folder + "\\" + name + ".png");
    std::vector<BYTE> bgr;
    for (const COLORREF c : shot.pixels) {
        bgr.insert(bgr.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
    }
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    fw::ComPtr<IWICImagingFactory> factory;
    fw::ComPtr<IWICStream> stream;
    fw::ComPtr<IWICBitmapEncoder> encoder;
    fw::ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                        IID_IWICImagingFactory, factory.PutVoid())) &&
           SUCCEEDED(factory->CreateStream(stream.Put())) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put())) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(frame.Put(), nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(static_cast<UINT>(shot.width), static_cast<UINT>(shot.height))) &&
           SUCCEEDED(frame->SetPixelFormat(&format)) &&
           SUCCEEDED(frame->WritePixels(static_cast<UINT>(shot.height), static_cast<UINT>(shot.width) * 3,
                                        static_cast<UINT>(bgr.size()), bgr.data())) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace wine_test
