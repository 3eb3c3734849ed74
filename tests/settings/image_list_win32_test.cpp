#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

#include "framework/wide_win32.h"
#include "settings/image_list_win32.h"
#include "tests/support/wine_support_win32.h"

using namespace wine_test;

namespace {

std::vector<std::string> Paths(const std::vector<WallpaperEntry>& list) {
    std::vector<std::string> paths;
    for (const auto& entry : list) paths.push_back(entry.path);
    return paths;
}

class PictureTree : public ::testing::Test {
protected:
    void SetUp() override {
        root = tree.Path() + "\\";
        // 表 and ソ end in the byte 0x5C in code page 932; 한 and é are beyond it.
        for (const char* folder : {"写真表", "写真表\\ソ", "空", "folder.jpg", "été-한글"}) {
            ASSERT_TRUE(::CreateDirectoryW(fw::Wide(root + folder).c_str(), nullptr)) << folder;
        }
        for (const char* file : {"a.JPG", "b.jpeg", "c.Gif", "d.bmp", "e.png", "f", "gif", "写真表\\海.jpg",
                                 "写真表\\ソ\\山.BMP", "写真表\\ソ\\メモ.txt", "folder.jpg\\inside.gif",
                                 "été-한글\\😀.jpg"}) {
            ASSERT_TRUE(WriteFileBytes(root + file, "x")) << file;
        }
    }
    TempFolder tree{"tree"};
    std::string root;
};

// The names of a folder's entries in the order the file system gives them.
std::vector<std::string> Enumerated(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(fw::Wide(folder + "*").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found)) {
        const std::string name = fw::Narrow(found.cFileName);
        if (name != "." && name != "..") names.push_back(name);
    }
    if (search != INVALID_HANDLE_VALUE) ::FindClose(search);
    return names;
}

TEST_F(PictureTree, ScanFindsEveryPictureDepthFirstWithJapaneseNames) {
    std::vector<WallpaperEntry> list;
    ScanFolder(list, root);
    const auto paths = Paths(list);
    auto sorted = paths;
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::string> expected = {root + "a.JPG", root + "b.jpeg", root + "c.Gif", root + "d.bmp",
                                         root + "folder.jpg\\inside.gif", root + "gif", root + "写真表\\海.jpg",
                                         root + "写真表\\ソ\\山.BMP", root + "été-한글\\😀.jpg"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(sorted, expected);
    // Depth first: everything below a folder comes in one run, at the place
    // where the folder itself is enumerated among its neighbours.
    const auto below = [&](const std::string& path, const std::string& name) {
        return path == root + name || path.rfind(root + name + "\\", 0) == 0;
    };
    const std::vector<std::string> names = Enumerated(root);
    std::vector<std::string> runs, order;
    for (const auto& path : paths) {
        const auto top = std::find_if(names.begin(), names.end(), [&](const std::string& n) { return below(path, n); });
        ASSERT_NE(top, names.end()) << path;
        if (runs.empty() || runs.back() != *top) runs.push_back(*top);
    }
    for (const auto& name : names) {
        if (std::any_of(expected.begin(), expected.end(), [&](const std::string& p) { return below(p, name); })) {
            order.push_back(name);
        }
    }
    EXPECT_EQ(runs, order);
    for (const auto& entry : list) EXPECT_EQ(entry.magnification, 100);
}

TEST_F(PictureTree, DroppedPathsArePicturesOrFolders) {
    std::vector<WallpaperEntry> list;
    AddDroppedPath(list, root + "folder.jpg");  // named like a picture: taken as one, not scanned
    AddDroppedPath(list, root + "写真表\\ソ\\メモ.txt");  // no picture and no folder: nothing
    AddDroppedPath(list, root + "写真表\\ソ");
    EXPECT_EQ(Paths(list), (std::vector<std::string>{root + "folder.jpg", root + "写真表\\ソ\\山.BMP"}));
    AddDroppedPath(list, root + "no such folder");
    EXPECT_EQ(list.size(), 2u);
}

}  // namespace
