#include "settings/settings_file_win32.h"

#include <windows.h>

#include "app/program_paths.h"
#include "framework/cp932_win32.h"
#include "framework/handles_win32.h"
#include "framework/message_box_win32.h"
#include "resources/texts.h"
#include "settings/settings_stream.h"

namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!::ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
        return got;
    }

private:
    HANDLE file_;
};

class FileSink : public ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(const void* data, std::size_t size) override {
        const auto* bytes = static_cast<const char*>(data);
        while (size > 0) {
            DWORD written = 0;
            if (!::WriteFile(file_, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0) {
                return false;
            }
            bytes += written;
            size -= written;
        }
        return true;
    }

private:
    HANDLE file_;
};

}  // namespace

void LoadSettings(AppSettings& settings, const std::string& programFolder) {
    const std::string path = SettingsFilePathIn(programFolder);
    LoadResult result = LoadResult::Loaded;
    {
        fw::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size{};
        if (!file) {
            fw::ShowMessage(nullptr, texts::kSettingsFileMissing, MB_OK | MB_ICONINFORMATION);
            return;
        }
        FileSource source(file.Get());
        result = ::GetFileSizeEx(file.Get(), &size)
                     ? ReadSettings(settings, source, static_cast<std::uint64_t>(size.QuadPart), fw::Utf16ToAnsi)
                     : LoadResult::Damaged;
    }
    if (result == LoadResult::Loaded) return;

    // Keep the damaged file, or the save at exit would replace it for good.
    std::string message = texts::kSettingsFileDamaged;
    if (::MoveFileExA(path.c_str(), (path + ".bad").c_str(), MOVEFILE_REPLACE_EXISTING)) {
        message += texts::kSettingsFileKeptAs;
    }
    fw::ShowMessage(nullptr, message.c_str(), MB_OK | MB_ICONWARNING);
}

bool SaveSettings(AppSettings& settings, const std::string& programFolder) {
    const std::string path = SettingsFilePathIn(programFolder);
    const std::string temporary = path + ".tmp";
    bool saved = false;
    {
        fw::UniqueHandle file(::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            FileSink sink(file.Get());
            saved = WriteSettings(settings, sink) && ::FlushFileBuffers(file.Get());
        }
    }
    saved = saved && ::MoveFileExA(temporary.c_str(), path.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!saved) {
        ::DeleteFileA(temporary.c_str());
        fw::ShowMessage(nullptr, texts::kFileOpenFailed, MB_OK | MB_ICONSTOP);
    }
    return saved;
}
