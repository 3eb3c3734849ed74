// Whole-record reading and writing of the settings archive, independent of
// where the bytes live. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/archive.h"
#include "settings/settings_model.h"

enum class LoadResult { Loaded, Damaged };

// Reads a whole settings archive of `length` bytes into `settings`. A file
// that ends early or whose counts or lengths run past its end is Damaged and
// leaves `settings` exactly as it was.
LoadResult ReadSettings(AppSettings& settings, ByteSource& source, std::uint64_t length);

// Writes the record and flushes; false when any write failed.
bool WriteSettings(AppSettings& settings, ByteSink& sink);

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    std::size_t Read(void* buffer, std::size_t size) override;

private:
    std::string_view bytes_;
};

class MemorySink : public ByteSink {
public:
    bool Write(const void* data, std::size_t size) override;
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};
