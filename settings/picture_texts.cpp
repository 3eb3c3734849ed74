#include "settings/picture_texts.h"

#include "resources/texts.h"
#include "settings/settings_model.h"

const char* DisplayMethodText(std::int32_t method) {
    switch (static_cast<DisplayMethod>(method)) {
    case DisplayMethod::Tile: return texts::kMethodTile;
    case DisplayMethod::Enlarge: return texts::kMethodEnlarge;
    case DisplayMethod::Fill: return texts::kMethodFill;
    case DisplayMethod::Fit: return texts::kMethodFit;
    default: return texts::kMethodNone;
    }
}

const char* ChangedRowMethodText(std::int32_t method) {
    switch (static_cast<DisplayMethod>(method)) {
    case DisplayMethod::None: return texts::kMethodNone;
    case DisplayMethod::Tile: return texts::kMethodTileShort;
    case DisplayMethod::Enlarge: return texts::kMethodEnlarge;
    case DisplayMethod::Fill: return texts::kMethodFill;
    case DisplayMethod::Fit: return texts::kMethodFit;
    default: return "";
    }
}

std::string FileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string FolderOf(std::string_view path) {
    const std::size_t slash = path.rfind('\\');
    return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash));
}

std::string PercentText(std::int32_t value) { return std::to_string(value) + "%"; }
