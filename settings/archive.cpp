#include "settings/archive.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/cp932.h"
#include "framework/utf.h"

namespace {

constexpr unsigned char kLongPrefix = 0xFF;
constexpr std::uint16_t kWidePrefix = 0xFFFE;
constexpr std::uint16_t kHugePrefix = 0xFFFF;
constexpr std::size_t kLargestShortLength = 254;
constexpr std::size_t kLargestMiddleLength = 65533;

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

StoredText StoredTextOf(std::string_view text) {
    if (IsAscii(text)) return {std::string(text), false};  // the same bytes in both encodings
    const std::u16string wide = utf::ToUtf16(text);
    if (auto bytes = cp932::Encode(wide)) return {std::move(*bytes), false};
    std::string bytes;
    bytes.reserve(wide.size() * 2);
    for (const char16_t unit : wide) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return {std::move(bytes), true};
}

SettingsArchive::SettingsArchive(ByteSink& sink) : sink_(&sink) {}

SettingsArchive::SettingsArchive(ByteSource& source, std::uint64_t length) : source_(&source), remaining_(length) {}

bool SettingsArchive::ReadSlow(void* out, std::size_t size) {
    if (failed_ || size > remaining_) {
        failed_ = true;
        return false;
    }
    auto* dest = static_cast<unsigned char*>(out);
    while (size > 0) {
        if (begin_ == end_) {
            // Large reads bypass the buffer; small ones refill it.
            if (size >= kBufferSize) {
                const std::size_t got = source_->Read(dest, size);
                if (got == 0) {
                    failed_ = true;
                    return false;
                }
                dest += got;
                size -= got;
                remaining_ -= got;
                continue;
            }
            const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kBufferSize, remaining_));
            begin_ = 0;
            end_ = source_->Read(buffer_, want);
            if (end_ == 0) {
                failed_ = true;
                return false;
            }
        }
        const std::size_t take = std::min(size, end_ - begin_);
        std::memcpy(dest, buffer_ + begin_, take);
        begin_ += take;
        dest += take;
        size -= take;
        remaining_ -= take;
    }
    return true;
}

void SettingsArchive::WriteSlow(const void* data, std::size_t size) {
    if (failed_) return;
    const auto* src = static_cast<const unsigned char*>(data);
    while (size > 0) {
        if (end_ == kBufferSize && !Flush()) return;
        const std::size_t take = std::min(size, kBufferSize - end_);
        std::memcpy(buffer_ + end_, src, take);
        end_ += take;
        src += take;
        size -= take;
    }
}

bool SettingsArchive::Flush() {
    if (IsStoring() && !failed_ && end_ > 0) {
        failed_ = !sink_->Write(buffer_, end_);
        end_ = 0;
    }
    return !failed_;
}

void SettingsArchive::Transfer(std::uint16_t& value) {
    unsigned char bytes[2];
    if (IsStoring()) {
        bytes[0] = static_cast<unsigned char>(value);
        bytes[1] = static_cast<unsigned char>(value >> 8);
        WriteBytes(bytes, 2);
    } else if (ReadBytes(bytes, 2)) {
        value = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    }
}

void SettingsArchive::Transfer(std::string& value) {
    if (IsStoring()) {
        StoreString(value);
    } else {
        LoadString(value);
    }
}

// A text that code page 932 holds is written in it, so that every file the
// program has always written keeps its bytes; any other text takes the
// archive's UTF-16 form, which every reader of the format accepts.
void SettingsArchive::StoreString(const std::string& value) {
    const StoredText stored = StoredTextOf(value);
    if (stored.wide) {
        WriteBytes(&kLongPrefix, 1);
        auto marker = kWidePrefix;
        Transfer(marker);
        StoreLength(stored.bytes.size() / 2);
    } else {
        StoreLength(stored.bytes.size());
    }
    WriteBytes(stored.bytes.data(), stored.bytes.size());
}

void SettingsArchive::StoreLength(std::size_t n) {
    if (n <= kLargestShortLength) {
        const auto b = static_cast<unsigned char>(n);
        WriteBytes(&b, 1);
        return;
    }
    WriteBytes(&kLongPrefix, 1);
    if (n <= kLargestMiddleLength) {
        auto w = static_cast<std::uint16_t>(n);
        Transfer(w);
    } else if (n <= std::numeric_limits<std::uint32_t>::max()) {
        auto w = kHugePrefix;
        Transfer(w);
        auto d = static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
        Transfer(d);
    } else {
        failed_ = true;  // no prefix can say this length
    }
}

// Decodes one length prefix. The wide marker is only valid in the first
// prefix of a string; inside the second one it means the file is damaged.
bool SettingsArchive::ReadLength(std::uint32_t& length, bool& wide, bool allowWide) {
    unsigned char b = 0;
    if (!ReadBytes(&b, 1)) return false;
    if (b != kLongPrefix) {
        length = b;
        return true;
    }
    std::uint16_t w = 0;
    Transfer(w);
    if (failed_) return false;
    if (w == kWidePrefix) {
        if (!allowWide) {
            failed_ = true;
            return false;
        }
        wide = true;
        return ReadLength(length, wide, false);
    }
    if (w == kHugePrefix) {
        std::int32_t d = 0;
        Transfer(d);
        length = static_cast<std::uint32_t>(d);
        return !failed_;
    }
    length = w;
    return true;
}

void SettingsArchive::LoadString(std::string& value) {
    std::uint32_t length = 0;
    bool wide = false;
    if (!ReadLength(length, wide, true)) return;
    const std::uint64_t bytes = wide ? std::uint64_t{length} * 2 : length;
    if (bytes > remaining_) {
        failed_ = true;  // checked before allocating anything
        return;
    }
    if (!wide) {
        std::string bytes(length, '\0');
        if (!ReadBytes(bytes.data(), length)) return;
        value = IsAscii(bytes) ? std::move(bytes) : utf::ToUtf8(cp932::Decode(bytes));
        return;
    }
    std::u16string text(length, u'\0');
    std::string raw(static_cast<std::size_t>(bytes), '\0');
    if (!ReadBytes(raw.data(), raw.size())) return;
    for (std::uint32_t i = 0; i < length; ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                        static_cast<unsigned char>(raw[2 * i + 1]) << 8);
    }
    value = utf::ToUtf8(text);
}

bool SettingsArchive::AcceptCount(std::int32_t count, std::size_t minRecordBytes) {
    if (IsStoring()) return !failed_;
    if (failed_ || count < 0 || std::uint64_t(count) * minRecordBytes > remaining_) failed_ = true;
    return !failed_;
}

std::optional<std::string> SettingsArchive::LoadRest(std::size_t limit) {
    if (IsStoring() || failed_ || remaining_ > limit) return std::nullopt;
    std::string rest(static_cast<std::size_t>(remaining_), '\0');
    if (!ReadBytes(rest.data(), rest.size())) return std::nullopt;
    return rest;
}
