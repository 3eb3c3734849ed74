// The order of desktop icons when they are sorted: a group by where the
// object lives, then name, type, size or date. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

enum class IconSortKind : std::uint32_t { Name = 0, Type = 1, Size = 2, Date = 3 };

// Groups, compared as unsigned numbers: smaller sorts first.
namespace desktop_group {
inline constexpr std::uint32_t kPersonalDocuments = 1;
inline constexpr std::uint32_t kOutsideFileSystem = 0x20;
inline constexpr std::uint32_t kSharedDesktop = 0x100000;
inline constexpr std::uint32_t kUserDesktop = 0x1000000;
inline constexpr std::uint32_t kFolder = 0x100;
inline constexpr std::uint32_t kFile = 0x1000;
}  // namespace desktop_group

// What the sort knows of one object of the desktop. The strings are UTF-8
// and whole, however long the shell's names are.
struct DesktopItemInfo {
    std::string displayName;
    std::string parsingName;
    std::string typeName;
    std::uint32_t sizeHigh = 0;
    std::uint32_t sizeLow = 0;
    std::uint32_t writeTimeHigh = 0;
    std::uint32_t writeTimeLow = 0;
    std::uint32_t group = 0;
};

// The group of an object from its parsing name and what the file system
// said of it. "Contains" is a case-sensitive substring test; an empty
// folder path (one the system did not deliver) is contained in nothing.
std::uint32_t DesktopItemGroup(std::string_view parsingName, bool foundInFileSystem, bool isDirectory,
                               std::string_view desktopPath, std::string_view personalPath);

// The key of a UTF-8 text in the order of names. A character code page 932
// holds is keyed by its bytes there, every byte from 'A' to 'Z' folded to
// lower case (the second byte of a double-byte character too) and nothing
// else changed: Japanese names keep the order of that code page, the first
// level of kanji by reading. Any other character sorts after all of those,
// by code point: its key is 0xFF and the code point in three bytes.
std::string FoldedKey(std::string_view text);
// Compares two keys byte by byte as unsigned values, the first difference
// deciding and a key that ends first sorting first: -1, 0 or 1.
int CompareKeys(std::string_view a, std::string_view b);
// Two UTF-8 texts in the order of their keys: -1, 0 or 1.
int CompareFolded(std::string_view a, std::string_view b);

// An object as the comparison reads it: its keys are made once, when the
// table takes it, and not again in every comparison.
struct DesktopItemRecord {
    DesktopItemInfo info;
    std::string displayKey;
    std::string parsingKey;
    std::string typeKey;
};

// The comparison of two icons by their texts and the records the table
// holds under those texts (so a record's display name is its icon's text):
// -1, 0 or 1. An icon without a record sorts after every icon that has one,
// and such icons sort among themselves by text, so the order stays a strict
// weak ordering whatever the enumeration delivered. Any kind above 2 is by
// date.
int CompareDesktopItems(const DesktopItemRecord* first, const DesktopItemRecord* second,
                        std::string_view firstText, std::string_view secondText, std::uint32_t kind);

// Records of one sort request, keyed by the whole display name; the first
// record of a name stays.
class DesktopItemTable {
public:
    void Add(DesktopItemInfo info);
    const DesktopItemRecord* Find(std::string_view displayName) const;
    void Clear() { items_.clear(); }
    std::size_t Size() const { return items_.size(); }

private:
    // Hashed: every comparison looks up two texts.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, DesktopItemRecord, Hash, std::equal_to<>> items_;
};
