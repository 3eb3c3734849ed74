#include "wallpaper/picture_file_win32.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <utility>

#include "framework/handles_win32.h"
#include "framework/long_path_win32.h"
#include "wallpaper/picture_format.h"
#include "wallpaper/system_decoders_win32.h"

namespace {

std::optional<Picture> AsPicture(std::optional<Bitmap> bitmap) {
    if (!bitmap) return std::nullopt;
    return Picture(std::move(*bitmap));
}

}  // namespace

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
