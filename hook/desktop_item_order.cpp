#include "hook/desktop_item_order.h"

#include "framework/cp932.h"
#include "framework/utf.h"

namespace {

// Leads the key of every character outside code page 932. No lead byte of
// the code page is 0xFF, and a character whose bytes hold it anyway counts
// as outside: so no character's key begins another's, and comparing two
// keys compares the texts character by character.
constexpr unsigned char kOutsideCodePage = 0xFF;

bool Contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

int CompareHalves(std::uint32_t highA, std::uint32_t lowA, std::uint32_t highB, std::uint32_t lowB) {
    if (highA == highB && lowA == lowB) return 0;
    if (highA != highB) return highA < highB ? -1 : 1;
    return lowA < lowB ? -1 : 1;
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

void AppendFolded(std::string& key, std::string_view bytes) {
    for (const char c : bytes) key.push_back(Fold(c));
}

bool IsAscii(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool KeyOfHeld(std::string_view bytes) {
    return !bytes.empty() && bytes.find(static_cast<char>(kOutsideCodePage)) == bytes.npos;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// A lone surrogate counts as the code point of its own value.
char32_t CodePoint(std::u16string_view units) {
    if (units.size() == 1) return units[0];
    return 0x10000 + ((char32_t{units[0]} - 0xD800) << 10) + (char32_t{units[1]} - 0xDC00);
}

void AppendOutside(std::string& key, char32_t c) {
    key.push_back(static_cast<char>(kOutsideCodePage));
    key.push_back(static_cast<char>(c >> 16 & 0xFF));
    key.push_back(static_cast<char>(c >> 8 & 0xFF));
    key.push_back(static_cast<char>(c & 0xFF));
}

}  // namespace

std::uint32_t DesktopItemGroup(std::string_view parsingName, bool foundInFileSystem, bool isDirectory,
                               std::string_view desktopPath, std::string_view personalPath) {
    using namespace desktop_group;
    if (!foundInFileSystem) return kOutsideFileSystem;
    if (Contains(parsingName, personalPath)) return kPersonalDocuments;
    return (Contains(parsingName, desktopPath) ? kUserDesktop : kSharedDesktop) | (isDirectory ? kFolder : kFile);
}

std::string FoldedKey(std::string_view text) {
    std::string key;
    key.reserve(text.size());
    // ASCII has the same bytes in code page 932.
    if (IsAscii(text)) {
        AppendFolded(key, text);
        return key;
    }
    const std::u16string wide = utf::ToUtf16(text);
    if (const auto bytes = cp932::Encode(wide); bytes && KeyOfHeld(*bytes)) {
        AppendFolded(key, *bytes);
        return key;
    }
    for (std::size_t i = 0; i < wide.size();) {
        const bool pair = IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1]);
        const std::u16string_view character(wide.data() + i, pair ? 2 : 1);
        if (const auto bytes = cp932::Encode(character); bytes && KeyOfHeld(*bytes)) {
            AppendFolded(key, *bytes);
        } else {
            AppendOutside(key, CodePoint(character));
        }
        i += character.size();
    }
    return key;
}

int CompareKeys(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

int CompareFolded(std::string_view a, std::string_view b) { return CompareKeys(FoldedKey(a), FoldedKey(b)); }

int CompareDesktopItems(const DesktopItemRecord* first, const DesktopItemRecord* second,
                        std::string_view firstText, std::string_view secondText, std::uint32_t kind) {
    if (!first || !second) {
        if (first) return -1;
        if (second) return 1;
        return CompareFolded(firstText, secondText);
    }
    const DesktopItemInfo& a = first->info;
    const DesktopItemInfo& b = second->info;
    if (a.group != b.group) return a.group < b.group ? -1 : 1;
    if (a.group == desktop_group::kOutsideFileSystem) {
        return CompareKeys(first->parsingKey, second->parsingKey);
    }
    switch (kind) {
    case static_cast<std::uint32_t>(IconSortKind::Name):
        return CompareKeys(first->displayKey, second->displayKey);
    case static_cast<std::uint32_t>(IconSortKind::Type):
        return CompareKeys(first->typeKey, second->typeKey);
    case static_cast<std::uint32_t>(IconSortKind::Size):
        return CompareHalves(a.sizeHigh, a.sizeLow, b.sizeHigh, b.sizeLow);
    default:
        return CompareHalves(a.writeTimeHigh, a.writeTimeLow, b.writeTimeHigh, b.writeTimeLow);
    }
}

void DesktopItemTable::Add(DesktopItemInfo info) {
    if (items_.find(info.displayName) != items_.end()) return;
    DesktopItemRecord record;
    record.displayKey = FoldedKey(info.displayName);
    record.parsingKey = FoldedKey(info.parsingName);
    record.typeKey = FoldedKey(info.typeName);
    std::string name = info.displayName;
    record.info = std::move(info);
    items_.emplace(std::move(name), std::move(record));
}

const DesktopItemRecord* DesktopItemTable::Find(std::string_view displayName) const {
    const auto found = items_.find(displayName);
    return found == items_.end() ? nullptr : &found->second;
}
