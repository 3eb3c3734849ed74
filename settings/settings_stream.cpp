#include "settings/settings_stream.h"

#include <algorithm>
#include <cstring>

LoadResult ReadSettings(AppSettings& settings, ByteSource& source, std::uint64_t length, Utf16ToAnsi toAnsi) {
    AppSettings loaded;
    SettingsArchive archive(source, length, toAnsi);
    loaded.Serialize(archive);
    if (archive.Failed()) return LoadResult::Damaged;
    settings = std::move(loaded);
    return LoadResult::Loaded;
}

bool WriteSettings(AppSettings& settings, ByteSink& sink) {
    SettingsArchive archive(sink);
    settings.Serialize(archive);
    return archive.Flush();
}

std::size_t MemorySource::Read(void* buffer, std::size_t size) {
    const std::size_t take = std::min(size, bytes_.size());
    std::memcpy(buffer, bytes_.data(), take);
    bytes_.remove_prefix(take);
    return take;
}

bool MemorySink::Write(const void* data, std::size_t size) {
    bytes_.append(static_cast<const char*>(data), size);
    return true;
}
