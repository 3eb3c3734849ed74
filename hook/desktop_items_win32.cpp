#include "hook/desktop_items_win32.h"

#include <commctrl.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "framework/callback_guard.h"
#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "hook/desktop_item_order.h"

namespace {

// Process-local state of the shell's copy, touched only by the list view's
// thread while it handles one sort request.
DesktopItemTable table;
HWND sortedListView = nullptr;

// An icon's text is a name of at most MAX_PATH characters, NUL included.
constexpr int kItemTextUnits = MAX_PATH;

std::string SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? fw::Narrow(path) : std::string();
}

// A shell extension may still answer in the ANSI code page.
std::wstring AnsiToWide(const char* text) {
    const int units = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 1) return {};
    std::wstring wide(static_cast<size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), units);
    wide.resize(static_cast<size_t>(units - 1));
    return wide;
}

// The parsing name, whatever form the shell gave it in.
std::wstring StrRetToWide(STRRET& name, LPCITEMIDLIST item, IMalloc* allocator) {
    switch (name.uType) {
    case STRRET_WSTR: {
        const fw::ScopeExit free([&] { allocator->Free(name.pOleStr); });
        return name.pOleStr ? std::wstring(name.pOleStr) : std::wstring();
    }
    case STRRET_OFFSET:
        return AnsiToWide(reinterpret_cast<const char*>(item) + name.uOffset);
    case STRRET_CSTR:
        return AnsiToWide(name.cStr);
    default:
        return {};
    }
}

std::string ItemText(int index) {
    wchar_t text[kItemTextUnits] = {};
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text;
    item.cchTextMax = kItemTextUnits;
    ::SendMessageW(sortedListView, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text[kItemTextUnits - 1] = L'\0';
    return fw::Narrow(text);
}

// What the shell and the file system know of one desktop object; nothing
// when the shell does not describe it.
std::optional<DesktopItemInfo> Describe(LPITEMIDLIST item, STRRET& parsing, IMalloc* allocator,
                                        const std::string& desktopPath, const std::string& personalPath) {
    SHFILEINFOW info{};
    const bool described = ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof(info),
                                            SHGFI_PIDL | SHGFI_USEFILEATTRIBUTES | SHGFI_DISPLAYNAME |
                                                SHGFI_TYPENAME | SHGFI_ATTRIBUTES | SHGFI_ATTR_SPECIFIED) != 0;
    const std::wstring parsingName = StrRetToWide(parsing, item, allocator);
    if (!described) return std::nullopt;
    DesktopItemInfo record;
    record.parsingName = fw::Narrow(parsingName);
    record.displayName = fw::Narrow(info.szDisplayName);
    record.typeName = fw::Narrow(info.szTypeName);
    WIN32_FIND_DATAW found{};
    const fw::UniqueFind search(::FindFirstFileW(parsingName.c_str(), &found));
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
