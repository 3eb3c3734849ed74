#include "wallpaper/picture_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool Ole(const std::string& bytes) {
    return IsOlePictureFormat(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(PictureFormat, OnlyTheOleLoadersOwnFormatsGoToIt) {
    std::string emf(44, '\0');
    emf[0] = 1;
    emf.replace(40, 4, " EMF");
    for (const std::string& bytes : {std::string("BM\x36\x10", 4), std::string("GIF89a"), std::string("GIF87a"),
                                     std::string("\xFF\xD8\xFF\xE0", 4), std::string("\0\0\1\0\1\0", 6),
                                     std::string("\xD7\xCD\xC6\x9A", 4), emf}) {
        EXPECT_TRUE(Ole(bytes)) << bytes;
    }
    for (const std::string& bytes : {std::string("\x89PNG\r\n\x1A\n"), std::string("II*\0", 4),
                                     std::string("MM\0*", 4), std::string("RIFF\0\0\0\0WEBP", 12),
                                     std::string("\0\0\0\x18" "ftypheic", 12), std::string("B"), std::string(),
                                     std::string("\1\0\0\0", 4)}) {
        EXPECT_FALSE(Ole(bytes)) << bytes;
    }
}

}  // namespace
