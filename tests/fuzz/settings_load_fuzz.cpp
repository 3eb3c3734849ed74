// Feeds arbitrary bytes to the settings loader. Whatever it is given, it must
// not crash, read out of bounds or allocate beyond the input's own size
// (-malloc_limit_mb catches the last one), and what it loads must write back
// and load again as the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/settings_stream.h"
#include "tests/support/settings_fixtures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    MemorySource source(bytes);
    AppSettings settings;
    if (ReadSettings(settings, source, size) != LoadResult::Loaded) return 0;

    const std::string written = fixtures::Serialized(settings);
    MemorySource again(written);
    AppSettings reloaded;
    if (ReadSettings(reloaded, again, written.size()) != LoadResult::Loaded ||
        !fixtures::SameSettings(settings, reloaded) || !(reloaded.extension == settings.extension)) {
        std::abort();
    }
    return 0;
}
