#include "dialogs/about_box_win32.h"

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "framework/module_path_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"

namespace {

// A string of the first translation of the file's version resource; empty
// when there is none.
std::string VersionString(const std::vector<char>& data, const wchar_t* key) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation)) {
        return {};
    }
    wchar_t query[64];
    std::swprintf(query, std::size(query), L"\\StringFileInfo\\%04X%04X\\%ls", translation->language,
                  translation->codePage, key);
    wchar_t* value = nullptr;
    if (!::VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&value), &size) || !value) return {};
    return fw::Narrow(value);
}

}  // namespace

AboutBox::AboutBox() : fw::Dialog(IDD_ABOUT) {}

BOOL AboutBox::OnInitDialog() {
    face_.Bind(Handle(), IDOK, {.inIcon = IDI_ABOUT});
    const std::wstring program = fw::Wide(ModulePath());
    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeW(program.c_str(), &ignored));
    if (!data.empty() && ::GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) {
        const std::string text = VersionString(data, L"FileDescription") + texts::kVersionSeparator +
                                 VersionString(data, L"FileVersion") + "\r\n" + VersionString(data, L"LegalCopyright");
        ::SetWindowTextW(face_.Handle(), fw::Wide(text).c_str());
    }
    return TRUE;
}
