// The settings archive: a flat little-endian byte stream read or written
// field by field through a 4096-byte buffer. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Bytes actually read; 0 at the end or on failure.
    virtual std::size_t Read(void* buffer, std::size_t size) = 0;
};

class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Write(const void* data, std::size_t size) = 0;
};

// How the archive keeps a text (UTF-8 in the program): in code page 932,
// or in its UTF-16 form when the code page cannot hold the text.
struct StoredText {
    std::string bytes;  // code page 932, or UTF-16LE for the wide form
    bool wide = false;
};
StoredText StoredTextOf(std::string_view text);

class SettingsArchive {
public:
    static constexpr std::size_t kBufferSize = 4096;

    // An archive that stores into the sink.
    explicit SettingsArchive(ByteSink& sink);
    // An archive that loads the `length` bytes the source holds.
    SettingsArchive(ByteSource& source, std::uint64_t length);
    SettingsArchive(const SettingsArchive&) = delete;
    SettingsArchive& operator=(const SettingsArchive&) = delete;

    bool IsStoring() const { return sink_ != nullptr; }
    bool IsLoading() const { return sink_ == nullptr; }

    // Writes the field, or reads it, as the direction says. Once the archive
    // has failed, reads leave the field alone and writes do nothing.
    void Transfer(std::int32_t& value) {
        unsigned char bytes[4];
        if (IsStoring()) {
            const auto v = static_cast<std::uint32_t>(value);
            bytes[0] = static_cast<unsigned char>(v);
            bytes[1] = static_cast<unsigned char>(v >> 8);
            bytes[2] = static_cast<unsigned char>(v >> 16);
            bytes[3] = static_cast<unsigned char>(v >> 24);
            WriteBytes(bytes, 4);
        } else if (ReadBytes(bytes, 4)) {
            value = static_cast<std::int32_t>(std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                              std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
        }
    }
    void Transfer(std::uint16_t& value);
    // A UTF-8 text, kept as StoredTextOf says.
    void Transfer(std::string& value);

    // When loading: true when `count` records of at least `minRecordBytes`
    // each can still lie in the bytes that remain. Anything else marks the
    // archive failed, so a damaged count never makes the loader allocate more
    // than the file's length can describe. Always true when storing.
    bool AcceptCount(std::int32_t count, std::size_t minRecordBytes);

    // When loading: every byte not yet read, or nothing when there are more
    // than `limit` of them (the archive stays sound either way).
    std::optional<std::string> LoadRest(std::size_t limit);
    // When storing: the bytes as they are, without a length prefix.
    void StoreBytes(std::string_view bytes) { WriteBytes(bytes.data(), bytes.size()); }

    // Writes out the buffer; false when any write of this archive failed.
    bool Flush();
    bool Failed() const { return failed_; }

private:
    // Most fields fit in what the buffer holds: those take the inline path.
    bool ReadBytes(void* out, std::size_t size) {
        if (size <= end_ - begin_ && !failed_) {
            std::memcpy(out, buffer_ + begin_, size);
            begin_ += size;
            remaining_ -= size;
            return true;
        }
        return ReadSlow(out, size);
    }
    void WriteBytes(const void* data, std::size_t size) {
        if (size <= kBufferSize - end_ && !failed_) {
            std::memcpy(buffer_ + end_, data, size);
            end_ += size;
            return;
        }
        WriteSlow(data, size);
    }
    bool ReadSlow(void* out, std::size_t size);
    void WriteSlow(const void* data, std::size_t size);
    bool ReadLength(std::uint32_t& length, bool& wide, bool allowWide);
    void LoadString(std::string& value);
    void StoreString(const std::string& value);
    void StoreLength(std::size_t length);

    ByteSink* sink_ = nullptr;
    ByteSource* source_ = nullptr;
    std::uint64_t remaining_ = 0;  // bytes of the source not yet consumed
    bool failed_ = false;
    std::size_t begin_ = 0;        // loading: first unread byte of the buffer
    std::size_t end_ = 0;          // loading: bytes held; storing: bytes buffered
    unsigned char buffer_[kBufferSize];
};
