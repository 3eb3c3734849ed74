#include "wallpaper/picture_format.h"

#include <cstring>

namespace {

bool StartsWith(const std::uint8_t* bytes, std::size_t length, const char* magic, std::size_t size) {
    return length >= size && std::memcmp(bytes, magic, size) == 0;
}

}  // namespace

bool IsOlePictureFormat(const std::uint8_t* bytes, std::size_t length) {
    return StartsWith(bytes, length, "BM", 2) ||                      // bitmap
           StartsWith(bytes, length, "GIF8", 4) ||                    // GIF87a, GIF89a
           StartsWith(bytes, length, "\xFF\xD8\xFF", 3) ||            // JPEG
           StartsWith(bytes, length, "\x00\x00\x01\x00", 4) ||        // icon
           StartsWith(bytes, length, "\xD7\xCD\xC6\x9A", 4) ||        // placeable metafile
           StartsWith(bytes, length, "\x01\x00\x09\x00", 4) ||        // metafile in memory
           StartsWith(bytes, length, "\x02\x00\x09\x00", 4) ||        // metafile on disk
           (StartsWith(bytes, length, "\x01\x00\x00\x00", 4) && length >= 44 &&
            std::memcmp(bytes + 40, " EMF", 4) == 0);                 // enhanced metafile
}

bool IsJpeg(const std::uint8_t* bytes, std::size_t length) { return StartsWith(bytes, length, "\xFF\xD8\xFF", 3); }
