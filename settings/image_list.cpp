#include "settings/image_list.h"

#include <algorithm>
#include <array>

bool IsPictureName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    const std::string_view extension = dot == std::string_view::npos ? name : name.substr(dot + 1);
    static constexpr std::array<std::string_view, 4> kPictures = {"JPEG", "JPG", "BMP", "GIF"};
    return std::any_of(kPictures.begin(), kPictures.end(), [extension](std::string_view picture) {
        return std::equal(extension.begin(), extension.end(), picture.begin(), picture.end(), [](char a, char b) {
            return (a >= 'a' && a <= 'z' ? static_cast<char>(a - ('a' - 'A')) : a) == b;
        });
    });
}

void AppendPicture(std::vector<WallpaperEntry>& list, std::string_view path) {
    WallpaperEntry entry;
    entry.path = path;
    list.push_back(std::move(entry));
}

void RemovePictures(std::vector<WallpaperEntry>& list, std::vector<std::size_t> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    for (auto index = indices.rbegin(); index != indices.rend(); ++index) {
        if (*index < list.size()) list.erase(list.begin() + static_cast<std::ptrdiff_t>(*index));
    }
}

void SetPictureProperties(std::vector<WallpaperEntry>& list, std::size_t index, std::int32_t displayMethod,
                          std::int32_t magnification, std::int32_t transparency) {
    if (index >= list.size()) return;
    list[index].displayMethod = displayMethod;
    list[index].magnification = magnification;
    list[index].transparency = transparency;
}
