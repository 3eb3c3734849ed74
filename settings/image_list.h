// Operations on the list of registered pictures that need no file system.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "settings/settings_model.h"

// True when the name's extension, upper-cased (ASCII only), is JPEG, JPG,
// BMP or GIF. The extension is what follows the last "."; a name without
// one is its own extension, so a file named "gif" counts.
bool IsPictureName(std::string_view name);

// A new entry with the defaults and the path; nothing is checked.
void AppendPicture(std::vector<WallpaperEntry>& list, std::string_view path);

// Removes the entries at the indices, in any order and with repeats; the
// rest keep their order. Indices past the end are ignored.
void RemovePictures(std::vector<WallpaperEntry>& list, std::vector<std::size_t> indices);

// Overwrites the three display fields of one entry; the path stays.
void SetPictureProperties(std::vector<WallpaperEntry>& list, std::size_t index, std::int32_t displayMethod,
                          std::int32_t magnification, std::int32_t transparency);
