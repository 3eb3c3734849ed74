#include "settings/image_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PictureName, ExtensionRuleIgnoresAsciiCase) {
    for (const char* name : {"a.JPG", "b.jpeg", "c.Gif", "d.bmp", "gif", "x.y.JpEg", "表.jpg"}) {
        EXPECT_TRUE(IsPictureName(name)) << name;
    }
    for (const char* name : {"e.png", "f", "g.jpg.txt", "h.", "jpg.", "", "i.ｊｐｇ"}) {
        EXPECT_FALSE(IsPictureName(name)) << name;
    }
}

std::vector<WallpaperEntry> ListOf(int count) {
    std::vector<WallpaperEntry> list;
    for (int i = 0; i < count; ++i) AppendPicture(list, "C:\\" + std::to_string(i) + ".jpg");
    return list;
}

TEST(ImageList, RemovingKeepsTheOthersInOrder) {
    auto list = ListOf(5);
    RemovePictures(list, {3, 1, 2});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].path, "C:\\0.jpg");
    EXPECT_EQ(list[1].path, "C:\\4.jpg");
    RemovePictures(list, {1, 1, 9});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, "C:\\0.jpg");
}

TEST(ImageList, AppendAllowsDuplicatesAndPropertiesKeepThePath) {
    auto list = ListOf(1);
    AppendPicture(list, "C:\\0.jpg");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].magnification, 100);
    SetPictureProperties(list, 1, 1, 250, -3);
    EXPECT_EQ(list[1].path, "C:\\0.jpg");
    EXPECT_EQ(list[1].displayMethod, 1);
    EXPECT_EQ(list[1].magnification, 250);
    EXPECT_EQ(list[1].transparency, -3);
    SetPictureProperties(list, 5, 2, 1, 1);  // no such entry
    EXPECT_EQ(list[0].displayMethod, 0);
}

}  // namespace
