#include "wallpaper/picture_file_win32.h"

#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>
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

// The system's decoders, which read from a stream on the block; it is
// theirs in every case.
std::optional<Picture> DecodeWithSystem(HGLOBAL block, SIZE_T length) {
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

// A file on a fixed disk of this machine is mapped rather than read: the
// decoder reads it where the system's cache holds it, and no memory is
// taken for a copy, whose fresh pages cost more to fill than the reading.
// A file elsewhere is read, so that a network or a drive that goes away
// fails the read instead of the decoder's access to the mapped pages.
bool IsOnFixedDisk(const std::wstring& path) {
    wchar_t volume[MAX_PATH + 1];
    return ::GetVolumePathNameW(path.c_str(), volume, MAX_PATH + 1) && ::GetDriveTypeW(volume) == DRIVE_FIXED;
}

}  // namespace

std::optional<Picture> LoadPictureFile(const std::string& path, const JpegReductionRule& reductionFor) {
    const std::wstring name = fw::LongPath(path);
    fw::UniqueHandle file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0 || size.QuadPart > MAXLONG) {
        return std::nullopt;
    }
    const auto length = static_cast<SIZE_T>(size.QuadPart);
    fw::UniqueView view;
    if (reductionFor && IsOnFixedDisk(name)) {
        const fw::UniqueHandle mapping(
            ::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (mapping) view.Reset(::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0));
    }
    // GMEM_FIXED: the block's handle is its address. A file not mapped is
    // read into one; a mapped one is copied into one only for the system's
    // decoders, which read from a stream on it.
    HGLOBAL block = nullptr;
    const auto allocate = [&] { return block = ::GlobalAlloc(GMEM_FIXED, length); };
    if (!view) {
        DWORD read = 0;
        if (!allocate()) return std::nullopt;
        if (!::ReadFile(file.Get(), block, static_cast<DWORD>(length), &read, nullptr) || read != length) {
            ::GlobalFree(block);
            return std::nullopt;
        }
    }
    const auto* bytes = static_cast<const std::uint8_t*>(view ? view.Get() : block);
    if (reductionFor && IsJpeg(bytes, length)) {
        if (auto reduced = DecodeJpegForWallpaper(bytes, length, reductionFor)) {
            if (block) ::GlobalFree(block);
            return reduced;
        }
    }
    if (view) {
        if (!allocate()) return std::nullopt;
        std::memcpy(block, view.Get(), length);
        view.Reset();
    }
    return DecodeWithSystem(block, length);
}
