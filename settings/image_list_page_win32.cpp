#include "settings/image_list_page_win32.h"

#include <commctrl.h>
#include <shellapi.h>
#include <ole2.h>
#include <shlobj.h>

#include "dialogs/open_file_win32.h"
#include "framework/dpi_win32.h"
#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/image_list.h"
#include "settings/image_list_win32.h"
#include "settings/picture_properties_dialog_win32.h"
#include "settings/picture_texts.h"
#include "settings/settings_records.h"

bool DropFileListView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != WM_DROPFILES) return false;
    ::SendMessageW(::GetParent(Handle()), kDropListFile, wParam, 0);
    result = DefaultProc(message, wParam, lParam);
    ::DragFinish(reinterpret_cast<HDROP>(wParam));
    return true;
}

ImageListPage::ImageListPage(DialogContext& context) : SettingsPage(IDD_IMAGE_LIST_PAGE, context) {}

BOOL ImageListPage::OnInitDialog() {
    const struct {
        int id, icon;
    } buttons[] = {{IDC_PICTURE_ADD_FOLDER, IDI_ADD_FOLDER}, {IDC_PICTURE_PROPERTIES, IDI_PROPERTIES},
                   {IDC_PICTURE_DELETE, IDI_DELETE}, {IDC_PICTURE_ADD, IDI_ADD}};
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i].Bind(Handle(), buttons[i].id, {.inIcon = buttons[i].icon, .outIcon = ImageButtonStyle::kGreyOutIcon});
    }
    list_.Subclass(Item(IDC_PICTURE_LIST));
    initialising_ = true;
    const HWND list = list_.Handle();
    ::SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    // In pixels of a 96 DPI screen; the titles need as many more as the DPI gives.
    const int widths[] = {150, 60, 60, 60, 500};
    const int dpi = static_cast<int>(fw::WindowDpi(list));
    const int formats[] = {LVCFMT_LEFT, LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_RIGHT, LVCFMT_LEFT};
    for (int column = 0; column < 5; ++column) {
        std::wstring title = fw::Wide(texts::kColumnTexts[column]);
        LVCOLUMNW header{};
        header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        header.fmt = formats[column];
        header.cx = ::MulDiv(widths[column], dpi, 96);
        header.pszText = title.data();
        ::SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&header));
    }
    Refresh();
    initialising_ = false;
    return TRUE;
}

bool ImageListPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    static const fw::MessageEntry<ImageListPage> map[] = {
        fw::OnCommand(IDC_PICTURE_ADD, &ImageListPage::OnAddFiles),
        fw::OnCommand(IDC_PICTURE_ADD_FOLDER, &ImageListPage::OnAddFolder),
        fw::OnCommand(IDC_PICTURE_PROPERTIES, &ImageListPage::OnProperties),
        fw::OnCommand(IDC_PICTURE_DELETE, &ImageListPage::OnDelete),
        fw::OnMessage(kDropListFile, &ImageListPage::OnDrop),
    };
    return fw::Dispatch(map, this, message, wParam, lParam, result);
}

void ImageListPage::SetCell(int row, int column, const std::string& text) const {
    std::wstring wide = fw::Wide(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    ::SendMessageW(list_.Handle(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void ImageListPage::Refresh() {
    const HWND list = list_.Handle();
    ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    const auto& pictures = context_.settings.Working().imageList;
    for (int row = 0; row < static_cast<int>(pictures.size()); ++row) {
        const WallpaperEntry& entry = pictures[static_cast<std::size_t>(row)];
        std::wstring name = fw::Wide(FileNameOf(entry.path));
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = name.data();
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        SetCell(row, 1, DisplayMethodText(entry.displayMethod));
        SetCell(row, 2, PercentText(entry.magnification));
        SetCell(row, 3, PercentText(entry.transparency));
        SetCell(row, 4, FolderOf(entry.path));
    }
}

std::vector<int> ImageListPage::SelectedRows() const {
    std::vector<int> rows;
    for (int row = -1;;) {
        row = static_cast<int>(::SendMessageW(list_.Handle(), LVM_GETNEXTITEM, row, LVNI_SELECTED));
        if (row < 0) return rows;
        rows.push_back(row);
    }
}

void ImageListPage::OnAddFiles() {
    const auto paths =
        ChooseFiles(Handle(), OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
    if (paths.empty()) return;
    for (const auto& path : paths) {
        AppendPicture(context_.settings.Working().imageList, path);
        NotifyChange();
    }
    Refresh();
}

void ImageListPage::OnAddFolder() {
    // The folder browser needs COM on this thread, which nothing else here starts.
    const HRESULT com = ::OleInitialize(nullptr);
    const fw::ScopeExit uninitialize([com] {
        if (SUCCEEDED(com)) ::OleUninitialize();
    });
    BROWSEINFOW browse{};
    browse.hwndOwner = Handle();
    const LPITEMIDLIST item = ::SHBrowseForFolderW(&browse);
    if (!item) return;
    // The longest path the system has, not MAX_PATH: a deep folder comes whole.
    std::vector<wchar_t> path(32768, L'\0');
    if (::SHGetPathFromIDListEx(item, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
        std::string folder = fw::Narrow(path.data());
        if (!folder.ends_with('\\')) folder += "\\";
        ScanFolder(context_.settings.Working().imageList, folder);
        Refresh();
        NotifyChange();
    }
    ::CoTaskMemFree(item);
}

void ImageListPage::OnProperties() {
    const std::vector<int> rows = SelectedRows();
    auto& pictures = context_.settings.Working().imageList;
    // A row the list shows but the working copy no longer holds has nothing to edit.
    if (rows.empty() || static_cast<std::size_t>(rows.front()) >= pictures.size()) return;
    const WallpaperEntry& first = pictures[static_cast<std::size_t>(rows.front())];
    PicturePropertiesDialog dialog;
    dialog.displayMethod = first.displayMethod;
    dialog.magnification = first.magnification;
    dialog.transparency = first.transparency;
    if (dialog.RunModal(Handle()) != IDOK) return;
    for (const int row : rows) {
        SetPictureProperties(pictures, static_cast<std::size_t>(row), dialog.displayMethod, dialog.magnification,
                             dialog.transparency);
        SetCell(row, 1, ChangedRowMethodText(dialog.displayMethod));
        SetCell(row, 2, PercentText(dialog.magnification));
        SetCell(row, 3, PercentText(dialog.transparency));
    }
    NotifyChange();
}

void ImageListPage::OnDelete() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) return;
    RemovePictures(context_.settings.Working().imageList, std::vector<std::size_t>(rows.begin(), rows.end()));
    Refresh();
    NotifyChange();
}

LRESULT ImageListPage::OnDrop(WPARAM drop, LPARAM) {
    const auto handle = reinterpret_cast<HDROP>(drop);
    const UINT count = ::DragQueryFileW(handle, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        // Asked for its length first, a path of any length comes whole.
        std::wstring path(::DragQueryFileW(handle, i, nullptr, 0) + 1, L'\0');
        path.resize(::DragQueryFileW(handle, i, path.data(), static_cast<UINT>(path.size())));
        AddDroppedPath(context_.settings.Working().imageList, fw::Narrow(path));
        Refresh();
        NotifyChange();
    }
    return 0;
}
