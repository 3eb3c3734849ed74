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

// What the sort knows of one object of the desktop. The strings are whole,
// however long the shell's names are.
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

// Byte-wise comparison with 'A'-'Z' folded to lower case and nothing else
// changed (double-byte characters are not recognised): -1, 0 or 1.
int CompareFolded(std::string_view a, std::string_view b);

// The comparison of two icons by their records and their texts: -1, 0 or 1.
// An icon without a record sorts after every icon that has one, and such
// icons sort among themselves by text, so the order stays a strict weak
// ordering whatever the enumeration delivered. Any kind above 2 is by date.
int CompareDesktopItems(const DesktopItemInfo* first, const DesktopItemInfo* second, std::string_view firstText,
                        std::string_view secondText, std::uint32_t kind);

// Records of one sort request, keyed by the whole display name; the first
// record of a name stays.
class DesktopItemTable {
public:
    void Add(DesktopItemInfo info);
    const DesktopItemInfo* Find(std::string_view displayName) const;
    void Clear() { items_.clear(); }
    std::size_t Size() const { return items_.size(); }

private:
    // Hashed: every comparison looks up two texts.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
    };
    std::unordered_map<std::string, DesktopItemInfo, Hash, std::equal_to<>> items_;
};
