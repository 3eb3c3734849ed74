#include "hook/desktop_items_win32.h"

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "framework/callback_guard.h"
#include "framework/handles_win32.h"
#include "hook/desktop_item_order.h"

namespace {

// Process-local state of the shell's copy, touched only by the list view's
// thread while it handles one sort request.
DesktopItemTable table;
HWND sortedListView = nullptr;

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    return ::SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) : std::string();
}

// The parsing name as an ANSI string, whatever form the shell gave it in.
std::string StrRetToAnsi(STRRET& name, LPCITEMIDLIST item, IMalloc* allocator) {
    switch (name.uType) {
    case STRRET_WSTR: {
        const fw::ScopeExit free([&] { allocator->Free(name.pOleStr); });
        std::string text;
        const int length = lstrlenW(name.pOleStr);
        const int bytes = ::WideCharToMultiByte(CP_ACP, 0, name.pOleStr, length, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
            text.resize(static_cast<size_t>(bytes));
            ::WideCharToMultiByte(CP_ACP, 0, name.pOleStr, length, text.data(), bytes, nullptr, nullptr);
        }
        return text;
    }
    case STRRET_OFFSET:
        return std::string(reinterpret_cast<const char*>(item) + name.uOffset);
    case STRRET_CSTR:
        return std::string(name.cStr);
    default:
        return std::string();
    }
}

std::string ItemText(int index) {
    char text[260] = {};
    LVITEMA item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ::SendMessageA(sortedListView, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text[sizeof(text) - 1] = '\0';
    return text;
}

// What the shell and the file system know of one desktop object; nothing
// when the shell does not describe it.
std::optional<DesktopItemInfo> Describe(LPITEMIDLIST item, STRRET& parsing, IMalloc* allocator,
                                        const std::string& desktopPath, const std::string& personalPath) {
    SHFILEINFOA info{};
    const bool described = ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof(info),
                                            SHGFI_PIDL | SHGFI_USEFILEATTRIBUTES | SHGFI_DISPLAYNAME |
                                                SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED) != 0;
    DesktopItemInfo record;
    record.parsingName = StrRetToAnsi(parsing, item, allocator);
    if (!described) return std::nullopt;
    record.displayName = info.szDisplayName;
    record.typeName = info.szTypeName;
    WIN32_FIND_DATAA found{};
    const fw::UniqueFind search(::FindFirstFileA(record.parsingName.c_str(), &found));
    if (search) {
        record.sizeHigh = found.nFileSizeHigh;
        record.sizeLow = found.nFileSizeLow;
        record.writeTimeHigh = found.ftLastWriteTime.dwHighDateTime;
        record.writeTimeLow = found.ftLastWriteTime.dwLowDateTime;
    }
    record.group = DesktopItemGroup(record.parsingName, search.Valid(),
                                    (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, desktopPath,
                                    personalPath);
    return record;
}

}  // namespace

void SetSortedListView(HWND listView) { sortedListView = listView; }

void CollectDesktopItems() {
    const std::string desktopPath = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    const std::string personalPath = SpecialFolder(CSIDL_PERSONAL);
    fw::ComPtr<IMalloc> allocator;
    fw::ComPtr<IShellFolder> desktop;
    fw::ComPtr<IEnumIDList> items;
    if (FAILED(::SHGetMalloc(allocator.Put())) || FAILED(::SHGetDesktopFolder(desktop.Put())) ||
        desktop->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, items.Put()) != S_OK || !items) {
        return;
    }
    LPITEMIDLIST item = nullptr;
    while (items->Next(1, &item, nullptr) == S_OK) {
        const fw::ScopeExit free([&] { allocator->Free(item); });
        STRRET parsing{};
        if (FAILED(desktop->GetDisplayNameOf(item, SHGDN_FORPARSING, &parsing))) break;
        if (auto record = Describe(item, parsing, allocator.Get(), desktopPath, personalPath)) {
            table.Add(std::move(*record));
        }
    }
}

// Called by the shell's list view: nothing may leave it, or the shell ends.
int CALLBACK CompareDesktopItems(LPARAM index1, LPARAM index2, LPARAM kind) noexcept {
    return GuardedResult(0, [&] {
        const std::string first = ItemText(static_cast<int>(index1));
        const std::string second = ItemText(static_cast<int>(index2));
        return CompareDesktopItems(table.Find(first), table.Find(second), first, second,
                                   static_cast<std::uint32_t>(kind));
    });
}

void ClearDesktopItems() noexcept { table.Clear(); }
