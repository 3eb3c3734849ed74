#include "settings/picture_texts.h"

#include "framework/cp932.h"
#include "resources/texts.h"

const char* DisplayMethodText(std::int32_t method) {
    switch (method) {
    case 1: return texts::kMethodTile;
    case 2: return texts::kMethodEnlarge;
    default: return texts::kMethodNone;
    }
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = cp932::FindLastBackslash(path);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = cp932::FindLastBackslash(path);
    return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash));
}

std::string PercentText(std::int32_t value) { return std::to_string(value) + "%"; }
