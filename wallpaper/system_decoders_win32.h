// The system's picture decoders: the OLE picture loader and the Windows
// Imaging Component, for every file the program's own decoder does not take.
#pragma once

#include <windows.h>

#include <optional>

#include "wallpaper/bitmap.h"

struct IPicture;
struct IStream;

// COM for the calling thread, for as long as one decode takes.
class ComScope {
public:
    ComScope() : result_(::CoInitializeEx(nullptr, COINIT_MULTITHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(result_)) ::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT result_;
};

// The whole OLE picture, upright, at its size in screen pixels; nothing when
// it does not render.
std::optional<Bitmap> RenderOlePicture(IPicture* picture);

// A JPEG as the Imaging Component decodes it, in its 3-byte rows.
std::optional<Picture> DecodeJpegWithImagingComponent(IStream* stream);

// Any picture the Imaging Component decodes, as a 32-bit bitmap.
std::optional<Bitmap> DecodeWithImagingComponent(IStream* stream);
