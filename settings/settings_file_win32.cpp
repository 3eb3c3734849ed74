#include "settings/settings_file_win32.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>
#include <optional>

#include "app/program_paths.h"
#include "framework/long_path_win32.h"
#include "framework/handles_win32.h"
#include "framework/message_box_win32.h"
#include "resources/texts.h"
#include "settings/picture_texts.h"
#include "settings/settings_stream.h"

namespace {

class FileSource : public ByteSource {
public:
    explicit FileSource(HANDLE file) : file_(file) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!::ReadFile(file_, buffer, static_cast<DWORD>(size), &got, nullptr)) {
            failed_ = true;
            return 0;
        }
        return got;
    }
    // A read the system refused, as opposed to a file that ends early.
    bool Failed() const { return failed_; }

private:
    HANDLE file_;
    bool failed_ = false;
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

// Renames the damaged file to the first free name of Vistaloom.ini.bad,
// .bad2 ... .bad9; the name it got, or nothing.
std::optional<std::string> KeepDamagedFile(const std::string& path) {
    for (int n = 1; n <= 9; ++n) {
        const std::string kept = path + ".bad" + (n == 1 ? std::string() : std::to_string(n));
        // Without MOVEFILE_REPLACE_EXISTING: an earlier damaged file stays.
        if (::MoveFileExW(fw::LongPath(path).c_str(), fw::LongPath(kept).c_str(), 0)) return kept;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

SettingsFileAtExit LoadSettings(AppSettings& settings, const std::string& programFolder) {
    const std::string path = SettingsFilePathIn(programFolder);
    LoadResult result = LoadResult::Loaded;
    bool unreadable = false;
    {
        fw::UniqueHandle file(::CreateFileW(fw::LongPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            // Only a file that is not there counts as missing; one in use or
            // denied is the user's, and the defaults must not replace it.
            const DWORD error = ::GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                fw::ShowMessage(nullptr, texts::kSettingsFileMissing, MB_OK | MB_ICONINFORMATION);
                return SettingsFileAtExit::Replace;
            }
            unreadable = true;
        } else {
            FileSource source(file.Get());
            LARGE_INTEGER size{};
            if (!::GetFileSizeEx(file.Get(), &size)) {
                unreadable = true;
            } else {
                result = ReadSettings(settings, source, static_cast<std::uint64_t>(size.QuadPart));
                unreadable = result != LoadResult::Loaded && source.Failed();
            }
        }
    }
    if (unreadable) {
        const std::string message = std::string(texts::kSettingsFileUnreadable) + texts::kSettingsFileLeftAlone;
        fw::ShowMessage(nullptr, message.c_str(), MB_OK | MB_ICONWARNING);
        return SettingsFileAtExit::Keep;
    }
    if (result == LoadResult::Loaded) return SettingsFileAtExit::Replace;

    // Keep the damaged file, or the save at exit would replace it for good.
    std::string message = texts::kSettingsFileDamaged;
    const auto kept = KeepDamagedFile(path);
    if (kept) {
        const std::string name = FileNameOf(*kept);
        std::vector<char> keptAs(std::strlen(texts::kSettingsFileKeptAs) + name.size() + 1, '\0');
        std::snprintf(keptAs.data(), keptAs.size(), texts::kSettingsFileKeptAs, name.c_str());
        message += keptAs.data();
    } else {
        message += texts::kSettingsFileLeftAlone;
    }
    fw::ShowMessage(nullptr, message.c_str(), MB_OK | MB_ICONWARNING);
    return kept ? SettingsFileAtExit::Replace : SettingsFileAtExit::Keep;
}

bool SaveSettings(AppSettings& settings, const std::string& programFolder, HWND messageOwner, SaveFailure failure) {
    const std::string path = SettingsFilePathIn(programFolder);
    const std::string temporary = path + ".tmp";
    bool saved = false;
    {
        fw::UniqueHandle file(::CreateFileW(fw::LongPath(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            FileSink sink(file.Get());
            saved = WriteSettings(settings, sink) && ::FlushFileBuffers(file.Get());
        }
    }
    saved = saved && ::MoveFileExW(fw::LongPath(temporary).c_str(), fw::LongPath(path).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!saved) {
        ::DeleteFileW(fw::LongPath(temporary).c_str());
        if (failure == SaveFailure::Report) fw::ShowMessage(messageOwner, texts::kFileOpenFailed, MB_OK | MB_ICONSTOP);
    }
    return saved;
}
