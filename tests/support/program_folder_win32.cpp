#include "tests/support/program_folder_win32.h"

#include "framework/wide_win32.h"
#include "settings/settings_stream.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"

namespace wine_test {

std::string SettingsBytes(AppSettings& settings) {
    MemorySink sink;
    WriteSettings(settings, sink);
    return sink.Bytes();
}

std::string ProgramFolder::Picture(const std::string& name, PixelValue colour) const {
    const std::string path = Folder() + "\\" + name;
    auto bitmap = CreateSolidBitmap({64, 48}, colour);
    EXPECT_TRUE(bitmap && WriteBitmapFile(path, &*bitmap));
    return path;
}

void ProgramFolder::SetUp() {
    for (const char* file : {"Vistaloom.exe", "Iconmire.dll"}) {
        ASSERT_TRUE(::CopyFileW(fw::Wide(BuildFolder() + "\\" + file).c_str(), fw::Wide(Folder() + "\\" + file).c_str(), FALSE));
    }
}

void ProgramFolder::WriteSettingsFile(AppSettings& settings) const {
    ASSERT_TRUE(WriteFileBytes(Ini(), SettingsBytes(settings)));
}

AppSettings ProgramFolder::ReadSettingsFile() const {
    const std::string bytes = ReadFileBytes(Ini());
    MemorySource source(bytes);
    AppSettings settings;
    EXPECT_EQ(ReadSettings(settings, source, bytes.size()), LoadResult::Loaded);
    return settings;
}

HWND ProgramFolder::StartAndWaitForWindow(ChildProcess& program, const std::string& currentDirectory) {
    if (!program.Start(Exe(), currentDirectory.empty() ? Folder() : currentDirectory)) return nullptr;
    return WaitForProcessWindow(program.Id(), kFrameClass, "Vistaloom");
}

void ProgramFolder::ExpectMessageAndPressOk(ChildProcess& program, const char* text) {
    const HWND box = WaitForMessageBox(program.Id());
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(WindowText(box), "Vistaloom");
    EXPECT_EQ(MessageBoxText(box), text);
    PressButton(box, IDOK);
}

void ProgramFolder::CloseAndExpectExit(ChildProcess& program, HWND frame) {
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    const auto code = program.WaitForExit();
    ASSERT_TRUE(code.has_value()) << "the program did not end after WM_CLOSE";
    EXPECT_EQ(*code, 0u);
}

}  // namespace wine_test
