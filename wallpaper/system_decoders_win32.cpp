#include "wallpaper/system_decoders_win32.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include <utility>

#include "framework/handles_win32.h"
#include "wallpaper/bitmap_image_win32.h"

std::optional<Bitmap> RenderOlePicture(IPicture* picture) {
    OLE_XSIZE_HIMETRIC himetricWidth = 0;
    OLE_YSIZE_HIMETRIC himetricHeight = 0;
    if (FAILED(picture->get_Width(&himetricWidth)) || FAILED(picture->get_Height(&himetricHeight))) {
        return std::nullopt;
    }
    fw::WindowDc screen(nullptr);
    const int width = ::MulDiv(himetricWidth, ::GetDeviceCaps(screen.Get(), LOGPIXELSX), 2540);
    const int height = ::MulDiv(himetricHeight, ::GetDeviceCaps(screen.Get(), LOGPIXELSY), 2540);
    auto image = CreateBitmapImage({width, height});
    if (!image) return std::nullopt;
    fw::UniqueMemoryDc memory(::CreateCompatibleDC(screen.Get()));
    if (!memory) return std::nullopt;
    {
        // A picture that does not render would leave the blank bitmap, and a
        // white wallpaper would be shown for it.
        fw::SelectGuard selected(memory.Get(), image->handle);
        if (!selected) return std::nullopt;
        // Upright: the source rectangle starts at the top, with a negative height.
        if (FAILED(picture->Render(memory.Get(), 0, 0, width, height, 0, himetricHeight, himetricWidth,
                                   -himetricHeight, nullptr))) {
            return std::nullopt;
        }
    }
    ::GdiFlush();
    return std::move(image->bitmap);
}

namespace {

struct ImagingFrame {
    fw::ComPtr<IWICImagingFactory> factory;
    fw::ComPtr<IWICBitmapDecoder> decoder;
    fw::ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
};

std::optional<ImagingFrame> OpenImagingFrame(IStream* stream) {
    const LARGE_INTEGER start{};
    if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return std::nullopt;
    ImagingFrame image;
    if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  image.factory.PutVoid())) ||
        FAILED(image.factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                                      image.decoder.Put())) ||
        FAILED(image.decoder->GetFrame(0, image.frame.Put())) ||
        FAILED(image.frame->GetSize(&image.width, &image.height))) {
        return std::nullopt;
    }
    return image;
}

}  // namespace

// A JPEG as the decoder gives it: blue, green, red rows, top first, copied
// once into the picture. The OLE loader gets the same pixels from the same
// decoder on some systems, and then converts and copies them twice more.
// Grey and CMYK pictures are converted to those rows by the Imaging
// Component itself.
std::optional<Picture> DecodeJpegWithImagingComponent(IStream* stream) {
    auto image = OpenImagingFrame(stream);
    if (!image) return std::nullopt;
    WICPixelFormatGUID format{};
    fw::ComPtr<IWICFormatConverter> converter;
    IWICBitmapSource* source = image->frame.Get();
    if (FAILED(image->frame->GetPixelFormat(&format))) return std::nullopt;
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        if (FAILED(image->factory->CreateFormatConverter(converter.Put())) ||
            FAILED(converter->Initialize(image->frame.Get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                                         nullptr, 0, WICBitmapPaletteTypeCustom))) {
            return std::nullopt;
        }
        source = converter.Get();
    }
    auto picture = Picture::AllocateRgb(static_cast<int>(image->width), static_cast<int>(image->height));
    if (!picture) return std::nullopt;
    const UINT stride = image->width * 3;
    const WICRect all{0, 0, static_cast<INT>(image->width), static_cast<INT>(image->height)};
    if (FAILED(source->CopyPixels(&all, stride, stride * image->height, picture->RgbTop()))) {
        return std::nullopt;
    }
    return picture;
}

// What the OLE loader rejects (PNG on some systems, TIFF, and whatever
// codecs the system has) goes through WIC. Transparent parts come out
// white, as the renderer leaves them for the OLE loader's pictures.
std::optional<Bitmap> DecodeWithImagingComponent(IStream* stream) {
    auto image = OpenImagingFrame(stream);
    if (!image) return std::nullopt;
    const UINT width = image->width, height = image->height;
    fw::ComPtr<IWICFormatConverter> converter;
    if (FAILED(image->factory->CreateFormatConverter(converter.Put())) ||
        FAILED(converter->Initialize(image->frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0, WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    auto bitmapImage = CreateBitmapImage({width, height});
    if (!bitmapImage) return std::nullopt;
    Bitmap& bitmap = bitmapImage->bitmap;
    for (UINT y = 0; y < height; ++y) {
        const WICRect row{0, static_cast<INT>(y), static_cast<INT>(width), 1};
        auto* pixels = reinterpret_cast<BYTE*>(bitmap.RowFromTop(static_cast<int>(y)));
        if (FAILED(converter->CopyPixels(&row, static_cast<UINT>(bitmap.Stride()), static_cast<UINT>(bitmap.Stride()),
                                         pixels))) {
            return std::nullopt;
        }
    }
    for (std::size_t i = 0; i < bitmap.PixelCount(); ++i) {
        const std::uint32_t p = bitmap.Pixels()[i];
        const std::uint32_t alpha = p >> 24;
        std::uint32_t out = 0xFF000000u;
        for (int shift : {0, 8, 16}) {
            const std::uint32_t c = (p >> shift) & 0xFF;
            out |= ((c * alpha + 255 * (255 - alpha) + 127) / 255) << shift;
        }
        bitmap.Pixels()[i] = out;
    }
    return std::move(bitmapImage->bitmap);
}
