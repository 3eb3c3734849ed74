#include "hook/desktop_items_win32.h"

#include <commctrl.h>
#include <shlobj.h>

#include <string>

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
        std::string text;
        const int length = lstrlenW(name.pOleStr);
        const int bytes = ::WideCharToMultiByte(CP_ACP, 0, name.pOleStr, length, nullptr, 0, nullptr, nullptr);
        if (bytes > 0) {
            text.resize(static_cast<size_t>(bytes));
            ::WideCharToMultiByte(CP_ACP, 0, name.pOleStr, length, text.data(), bytes, nullptr, nullptr);
        }
        allocator->Free(name.pOleStr);
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

}  // namespace

void SetSortedListView(HWND listView) { sortedListView = listView; }

void CollectDesktopItems() {
    const std::string desktopPath = SpecialFolder(CSIDL_DESKTOPDIRECTORY);
    const std::string personalPath = SpecialFolder(CSIDL_PERSONAL);
    IMalloc* allocator = nullptr;
    IShellFolder* desktop = nullptr;
    IEnumIDList* items = nullptr;
    if (SUCCEEDED(::SHGetMalloc(&allocator)) && SUCCEEDED(::SHGetDesktopFolder(&desktop)) &&
        desktop->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items) == S_OK && items) {
        LPITEMIDLIST item = nullptr;
        while (items->Next(1, &item, nullptr) == S_OK) {
            STRRET parsing{};
            if (FAILED(desktop->GetDisplayNameOf(item, SHGDN_FORPARSING, &parsing))) {
                allocator->Free(item);
                break;
            }
            SHFILEINFOA info{};
            const bool described = ::SHGetFileInfoA(reinterpret_cast<LPCSTR>(item), 0, &info, sizeof(info),
                                                    SHGFI_PIDL | SHGFI_USEFILEATTRIBUTES | SHGFI_DISPLAYNAME |
                                                        SHGFI_TYPENAME | SHGFI_ATTRIBUTES |
                                                        SHGFI_ATTR_SPECIFIED) != 0;
            DesktopItemInfo record;
            record.parsingName = StrRetToAnsi(parsing, item, allocator);
            if (described) {
                record.displayName = info.szDisplayName;
                record.typeName = info.szTypeName;
                WIN32_FIND_DATAA found{};
                const HANDLE search = ::FindFirstFileA(record.parsingName.c_str(), &found);
                if (search != INVALID_HANDLE_VALUE) {
                    ::FindClose(search);
                    record.sizeHigh = found.nFileSizeHigh;
                    record.sizeLow = found.nFileSizeLow;
                    record.writeTimeHigh = found.ftLastWriteTime.dwHighDateTime;
                    record.writeTimeLow = found.ftLastWriteTime.dwLowDateTime;
                }
                record.group = DesktopItemGroup(record.parsingName, search != INVALID_HANDLE_VALUE,
                                                (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                                desktopPath, personalPath);
                table.Add(std::move(record));
            }
            allocator->Free(item);
        }
    }
    if (items) items->Release();
    if (desktop) desktop->Release();
    if (allocator) allocator->Release();
}

int CALLBACK CompareDesktopItems(LPARAM index1, LPARAM index2, LPARAM kind) {
    const std::string first = ItemText(static_cast<int>(index1));
    const std::string second = ItemText(static_cast<int>(index2));
    return CompareDesktopItems(table.Find(first), table.Find(second), first, second,
                               static_cast<std::uint32_t>(kind));
}

void ClearDesktopItems() { table.Clear(); }
