#include "wallpaper/bitmap_image_win32.h"

#include <cstring>
#include <utility>

#include "framework/handles_win32.h"
#include "framework/long_path_win32.h"
#include "wallpaper/bitmap_file.h"

std::optional<BitmapImage> CreateBitmapImage(BitmapSize size) {
    if (!IsBitmapSizeAllowed(size)) return std::nullopt;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = static_cast<LONG>(size.width);
    info.bmiHeader.biHeight = static_cast<LONG>(size.height);  // positive: bottom row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HBITMAP section = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section || !bits) {
        if (section) ::DeleteObject(section);
        return std::nullopt;
    }
    std::memset(bits, 0xFF, static_cast<std::size_t>(size.width * size.height * 4));
    return BitmapImage{Bitmap(static_cast<std::uint32_t*>(bits), static_cast<int>(size.width),
                              static_cast<int>(size.height), [section] { ::DeleteObject(section); }),
                       section};
}

bool WriteBitmapFile(const std::string& path, const Bitmap* bitmap) {
    if (!bitmap) return false;
    fw::UniqueHandle file(::CreateFileW(fw::LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
    if (!file) return false;
    const auto header = BitmapFileHeader(*bitmap);
    const std::pair<const char*, std::size_t> parts[] = {
        {reinterpret_cast<const char*>(header.data()), header.size()},
        {reinterpret_cast<const char*>(bitmap->Pixels()), bitmap->Stride() * static_cast<std::size_t>(bitmap->Height())},
    };
    // The header, then the rows straight from the bitmap: no second copy of
    // a picture that may be hundreds of megabytes.
    for (auto [bytes, left] : parts) {
        while (left > 0) {
            const DWORD chunk = static_cast<DWORD>(left < (1u << 30) ? left : (1u << 30));
            DWORD written = 0;
            if (!::WriteFile(file.Get(), bytes, chunk, &written, nullptr) || written == 0) return false;
            bytes += written;
            left -= written;
        }
    }
    return true;
}
