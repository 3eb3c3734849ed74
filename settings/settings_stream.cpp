#include "settings/settings_stream.h"

#include <algorithm>
#include <cstring>

LoadResult ReadSettings(AppSettings& settings, ByteSource& source, std::uint64_t length) {
    AppSettings loaded;
    SettingsArchive archive(source, length);
    loaded.Serialize(archive);
    if (archive.Failed()) return LoadResult::Damaged;
    // The extension block is extra: whatever it holds, the classic part stands.
    if (const auto rest = archive.LoadRest(kLargestSettingsExtension)) {
        if (auto extension = DecodeSettingsExtension(*rest)) loaded.extension = std::move(*extension);
    }
    settings = std::move(loaded);
    return LoadResult::Loaded;
}

bool WriteSettings(AppSettings& settings, ByteSink& sink) {
    SettingsArchive archive(sink);
    settings.Serialize(archive);
    archive.StoreBytes(EncodeSettingsExtension(settings.extension));
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
