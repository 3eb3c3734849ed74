// The program's manifest, read back from the built program by the system's
// own side-by-side loader: supported versions, DPI awareness, common
// controls and rights.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "framework/wide_win32.h"
#include "tests/support/wine_support_win32.h"

using namespace wine_test;

namespace {

TEST(ProgramManifest, ParsesWithItsVersionsDpiAwarenessControlsAndRights) {
    const std::string program = BuildFolder() + "\\Vistaloom.exe";
    const std::wstring source = fw::Wide(program);
    ACTCTXW request{};
    request.cbSize = sizeof(request);
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = source.c_str();
    request.lpResourceName = MAKEINTRESOURCEW(1);  // the manifest a process is created with
    const HANDLE context = ::CreateActCtxW(&request);
    ASSERT_NE(context, INVALID_HANDLE_VALUE) << "no manifest the system reads, error " << ::GetLastError();

    const auto setting = [&](const wchar_t* space, const wchar_t* name) {
        wchar_t value[64] = {};
        SIZE_T written = 0;
        return std::wstring(::QueryActCtxSettingsW(0, context, space, name, value, 64, &written) ? value : L"");
    };
    EXPECT_EQ(setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness"),
              L"PerMonitorV2, PerMonitor");
    EXPECT_EQ(setting(nullptr, L"dpiAware"), L"true/pm") << "per monitor on 8.1, system DPI before";

    std::vector<BYTE> data(1024);
    SIZE_T size = 0;
    ASSERT_TRUE(::QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, data.data(),
                               data.size(), &size));
    DWORD count = 0;
    std::memcpy(&count, data.data(), sizeof(count));
    // Newer systems give each element a tested-version field and the list an
    // aligned start: the size says which of the layouts came back.
    const SIZE_T stride = size == 4 + 20 * count ? 20 : 32, start = size - stride * count;
    std::set<unsigned long> systems;
    for (DWORD i = 0; i < count; ++i) {
        GUID id{};
        std::memcpy(&id, data.data() + start + i * stride, sizeof(id));
        systems.insert(id.Data1);
    }
    EXPECT_EQ(systems, (std::set<unsigned long>{0x35138b9a, 0x4a2f28e3, 0x1f676c76, 0x8e0f7a12}))
        << "Windows 7, 8, 8.1, and 10 with 11";

    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
    ASSERT_TRUE(::QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof(level),
                               &size));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);

    ULONG_PTR cookie = 0;
    ASSERT_TRUE(::ActivateActCtx(context, &cookie));
    const HMODULE controls = ::LoadLibraryA("comctl32.dll");
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(controls, path, MAX_PATH);
    ::FreeLibrary(controls);
    ::DeactivateActCtx(0, cookie);
    ::ReleaseActCtx(context);
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}

}  // namespace
