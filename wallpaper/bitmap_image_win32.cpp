#include "wallpaper/bitmap_image_win32.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <wincodec.h>

#include <cstring>
#include <utility>

#include "framework/handles_win32.h"
#include "framework/long_path_win32.h"
#include "wallpaper/bitmap_file.h"
#include "wallpaper/picture_format.h"

namespace {

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

}  // namespace

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
    if (FAILED(source->CopyPixels(&all, stride, stride * image->height, picture->RgbBytes()))) return std::nullopt;
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

std::optional<Picture> AsPicture(std::optional<Bitmap> bitmap) {
    if (!bitmap) return std::nullopt;
    return Picture(std::move(*bitmap));
}

}  // namespace

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

std::optional<Picture> DecodePicture(HGLOBAL block, SIZE_T length, const JpegReductionRule& reductionFor) {
    if (reductionFor) {
        const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(block));
        auto reduced = bytes && IsJpeg(bytes, length) ? DecodeJpegForWallpaper(bytes, length, reductionFor)
                                                      : std::nullopt;
        ::GlobalUnlock(block);
        if (reduced) {
            ::GlobalFree(block);
            return reduced;
        }
    }
    ComScope com;
    fw::ComPtr<IStream> stream;
    if (FAILED(::CreateStreamOnHGlobal(block, TRUE, stream.Put()))) {
        ::GlobalFree(block);
        return std::nullopt;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(::GlobalLock(block));
    const bool ole = bytes && IsOlePictureFormat(bytes, length);
    const bool jpeg = bytes && IsJpeg(bytes, length);
    ::GlobalUnlock(block);
    if (jpeg) {
        if (auto picture = DecodeJpegWithImagingComponent(stream.Get())) return picture;
        const LARGE_INTEGER start{};
        if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return std::nullopt;
    }
    fw::ComPtr<IPicture> picture;
    if (ole && SUCCEEDED(::OleLoadPicture(stream.Get(), static_cast<LONG>(length), FALSE, IID_IPicture,
                                          picture.PutVoid()))) {
        stream.Reset();
        return AsPicture(RenderOlePicture(picture.Get()));
    }
    picture.Forget();  // a failed load may leave a pointer it has already released
    return AsPicture(DecodeWithImagingComponent(stream.Get()));
}

std::optional<Picture> LoadPictureFile(const std::string& path, const JpegReductionRule& reductionFor) {
    fw::UniqueHandle file(::CreateFileW(fw::LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0 || size.QuadPart > MAXLONG) {
        return std::nullopt;
    }
    const auto length = static_cast<SIZE_T>(size.QuadPart);
    const HGLOBAL block = ::GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, length);
    if (!block) return std::nullopt;
    DWORD read = 0;
    if (!::ReadFile(file.Get(), ::GlobalLock(block), static_cast<DWORD>(length), &read, nullptr) || read != length) {
        ::GlobalUnlock(block);
        ::GlobalFree(block);
        return std::nullopt;
    }
    ::GlobalUnlock(block);
    return DecodePicture(block, length, reductionFor);
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
