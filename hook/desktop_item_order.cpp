#include "hook/desktop_item_order.h"

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

int CompareHalves(std::uint32_t highA, std::uint32_t lowA, std::uint32_t highB, std::uint32_t lowB) {
    if (highA == highB && lowA == lowB) return 0;
    if (highA != highB) return highA < highB ? -1 : 1;
    return lowA < lowB ? -1 : 1;
}

unsigned char Fold(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}

}  // namespace

std::uint32_t DesktopItemGroup(std::string_view parsingName, bool foundInFileSystem, bool isDirectory,
                               std::string_view desktopPath, std::string_view personalPath) {
    using namespace desktop_group;
    if (!foundInFileSystem) return kOutsideFileSystem;
    if (Contains(parsingName, personalPath)) return kPersonalDocuments;
    return (Contains(parsingName, desktopPath) ? kUserDesktop : kSharedDesktop) | (isDirectory ? kFolder : kFile);
}

int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = Fold(a[i]);
        const unsigned char y = Fold(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareDesktopItems(const DesktopItemInfo* first, const DesktopItemInfo* second, std::string_view firstText,
                        std::string_view secondText, std::uint32_t kind) {
    if (!first || !second) {
        if (first) return -1;
        if (second) return 1;
        return CompareFolded(firstText, secondText);
    }
    if (first->group != second->group) return first->group < second->group ? -1 : 1;
    if (first->group == desktop_group::kOutsideFileSystem) return CompareFolded(first->parsingName, second->parsingName);
    switch (kind) {
    case static_cast<std::uint32_t>(IconSortKind::Name):
        return CompareFolded(firstText, secondText);
    case static_cast<std::uint32_t>(IconSortKind::Type):
        return CompareFolded(first->typeName, second->typeName);
    case static_cast<std::uint32_t>(IconSortKind::Size):
        return CompareHalves(first->sizeHigh, first->sizeLow, second->sizeHigh, second->sizeLow);
    default:
        return CompareHalves(first->writeTimeHigh, first->writeTimeLow, second->writeTimeHigh, second->writeTimeLow);
    }
}

void DesktopItemTable::Add(DesktopItemInfo info) {
    std::string key = info.displayName;
    items_.try_emplace(std::move(key), std::move(info));
}

const DesktopItemInfo* DesktopItemTable::Find(std::string_view displayName) const {
    const auto found = items_.find(displayName);
    return found == items_.end() ? nullptr : &found->second;
}
