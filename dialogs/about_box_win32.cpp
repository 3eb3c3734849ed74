#include "dialogs/about_box_win32.h"

#include <cstdio>
#include <string>
#include <vector>

#include "framework/module_path_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"

namespace {

// A string of the first translation of the file's version resource; empty
// when there is none.
std::string VersionString(const std::vector<char>& data, const char* key) {
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (!::VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation)) {
        return {};
    }
    char query[64];
    std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04X%04X\\%s", translation->language,
                  translation->codePage, key);
    char* value = nullptr;
    if (!::VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&value), &size) || !value) return {};
    return value;
}

}  // namespace

AboutBox::AboutBox() : fw::Dialog(IDD_ABOUT) {}

BOOL AboutBox::OnInitDialog() {
    face_.Bind(Handle(), IDOK, {.inIcon = IDI_ABOUT});
    const std::string program = ModulePath();
    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeA(program.c_str(), &ignored));
    if (!data.empty() && ::GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data())) {
        const std::string text = VersionString(data, "FileDescription") + texts::kVersionSeparator +
                                 VersionString(data, "FileVersion") + "\r\n" + VersionString(data, "LegalCopyright");
        ::SetWindowTextA(face_.Handle(), text.c_str());
    }
    return TRUE;
}
