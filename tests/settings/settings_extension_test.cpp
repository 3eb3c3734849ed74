#include "settings/settings_extension.h"

#include <gtest/gtest.h>

#include "settings/archive.h"
#include "settings/settings_stream.h"
#include "tests/support/settings_fixtures.h"

namespace {

// "10" as the registry keeps a REG_SZ value: UTF-16LE with its terminator.
SavedRegistryValue Text(std::u16string_view text) {
    SavedRegistryValue value;
    value.state = SavedRegistryValue::State::Present;
    value.type = 1;
    for (const char16_t c : text) value.data += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    value.data += std::string(2, '\0');
    return value;
}

SavedRegistryValue Absent() { return {SavedRegistryValue::State::Absent, 0, {}}; }

SettingsExtension WithStyle() {
    SettingsExtension extension;
    extension.userWallpaperStyle = SavedWallpaperStyle{Absent(), Text(u"10")};
    return extension;
}

AppSettings RichWith(const SettingsExtension& extension) {
    AppSettings settings;
    fixtures::FillRichSettings(settings);
    settings.extension = extension;
    return settings;
}

LoadResult Load(const std::string& bytes, AppSettings& settings) {
    MemorySource source(bytes);
    return ReadSettings(settings, source, bytes.size());
}

// What a reader of the classic layout makes of the bytes: it stops after
// the last icon record.
AppSettings ReadClassically(const std::string& bytes) {
    AppSettings settings;
    MemorySource source(bytes);
    SettingsArchive archive(source, bytes.size());
    settings.Serialize(archive);
    EXPECT_FALSE(archive.Failed());
    return settings;
}

TEST(SettingsExtension, AnEmptyExtensionLeavesTheClassicBytes) {
    AppSettings plain = RichWith({});
    AppSettings classic;
    fixtures::FillRichSettings(classic);
    MemorySink sink;
    SettingsArchive archive(sink);
    classic.Serialize(archive);
    ASSERT_TRUE(archive.Flush());
    EXPECT_EQ(fixtures::Serialized(plain), sink.Bytes());
}

TEST(SettingsExtension, RecordsSurviveARoundTripAndTheClassicReaderSeesTheSameSettings) {
    SettingsExtension extension = WithStyle();
    extension.userWallpaperStyle->tileWallpaper = {SavedRegistryValue::State::Unknown, 0, {}};
    extension.unknownRecords.push_back({77, std::string("\0later\xFF", 7)});
    SettingsExtension options;
    options.userOptions.pauseInFullScreen = false;
    extension.userOptions = options.userOptions;
    const SettingsExtension cases[] = {WithStyle(), extension, SettingsExtension{{}, {{9, ""}}, {}}, options};
    for (const auto& written : cases) {
        AppSettings settings = RichWith(written);
        const std::string bytes = fixtures::Serialized(settings);
        AppSettings loaded;
        ASSERT_EQ(Load(bytes, loaded), LoadResult::Loaded);
        EXPECT_EQ(loaded.extension, written);
        EXPECT_TRUE(fixtures::SameSettings(loaded, settings));
        EXPECT_TRUE(fixtures::SameSettings(ReadClassically(bytes), settings));
        const std::string block = EncodeSettingsExtension(written);
        const std::string rewritten = fixtures::Serialized(loaded);
        ASSERT_GT(rewritten.size(), block.size());
        EXPECT_TRUE(rewritten.substr(rewritten.size() - block.size()) == block)
            << "unknown records are written back as they came";
    }
}

TEST(SettingsExtension, ADamagedOrLaterBlockIsIgnoredAndTheClassicPartLoads) {
    AppSettings settings = RichWith(WithStyle());
    const std::string bytes = fixtures::Serialized(settings);
    const std::size_t block = bytes.size() - EncodeSettingsExtension(WithStyle()).size();
    auto changed = [&](std::size_t offset, char value) {
        std::string copy = bytes;
        copy[block + offset] = value;
        return copy;
    };
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"cut short", bytes.substr(0, bytes.size() - 3)},
        {"header only", bytes.substr(0, block + 10)},
        {"another magic", changed(0, 'X')},
        {"a later version", changed(4, 2)},
        {"a changed payload byte", changed(bytes.size() - block - 1, '9')},
        {"bytes after the block", bytes + "zz"},
        {"no block, other bytes", bytes.substr(0, block) + "garbage"},
    };
    for (const auto& c : cases) {
        AppSettings loaded;
        ASSERT_EQ(Load(c.bytes, loaded), LoadResult::Loaded) << c.name;
        EXPECT_TRUE(fixtures::SameSettings(loaded, settings)) << c.name;
        EXPECT_TRUE(loaded.extension.Empty()) << c.name;
    }
}

// The documented framing, built independently of the program's encoder:
// magic, version, length of the records, CRC-32 of the records.
std::string Framed(const std::string& records, std::uint32_t version = 1) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char b : records) {
        crc ^= static_cast<unsigned char>(b);
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return "VLXB" + fixtures::Int32(static_cast<std::int32_t>(version)) +
           fixtures::Int32(static_cast<std::int32_t>(records.size())) + fixtures::Int32(static_cast<std::int32_t>(~crc)) +
           records;
}

std::string Record(int tag, const std::string& payload) {
    return fixtures::Bytes({tag & 0xFF, tag >> 8}) + fixtures::Int32(static_cast<std::int32_t>(payload.size())) +
           payload;
}

TEST(SettingsExtension, BlocksAreReadByTheirDocumentedFraming) {
    // "1" then an absent value: state 2, type 1, 4 bytes of UTF-16; state 1.
    const std::string style = fixtures::Bytes({2}) + fixtures::Int32(1) + fixtures::Int32(4) +
                              fixtures::Bytes({'1', 0, 0, 0}) + fixtures::Bytes({1});
    const auto decoded = DecodeSettingsExtension(Framed(Record(1, style) + Record(300, "x")));
    ASSERT_TRUE(decoded.has_value());
    ASSERT_TRUE(decoded->userWallpaperStyle.has_value());
    EXPECT_EQ(decoded->userWallpaperStyle->tileWallpaper, Text(u"1"));
    EXPECT_EQ(decoded->userWallpaperStyle->wallpaperStyle, Absent());
    EXPECT_EQ(decoded->unknownRecords, (std::vector<ExtensionRecord>{{300, "x"}}));
    EXPECT_EQ(EncodeSettingsExtension(*decoded), Framed(Record(1, style) + Record(300, "x")));

    const struct {
        const char* name;
        std::string block;
    } damaged[] = {
        {"a record longer than the block", Framed(Record(5, "abc").substr(0, 8))},
        {"a style value of an unknown state", Framed(Record(1, fixtures::Bytes({7, 1})))},
        {"a style record with bytes to spare", Framed(Record(1, style + "!"))},
        {"a style value cut short", Framed(Record(1, style.substr(0, 10)))},
        {"version 2", Framed(Record(1, style), 2)},
    };
    for (const auto& c : damaged) EXPECT_FALSE(DecodeSettingsExtension(c.block).has_value()) << c.name;
}

// The options' record holds one byte; at the default it is not written, so
// the file of a user who changed nothing keeps the classic layout.
TEST(SettingsExtension, TheUserOptionsRecordIsWrittenOnlyWhenAnOptionDiffersFromItsDefault) {
    SettingsExtension changed;
    changed.userOptions.pauseInFullScreen = false;
    EXPECT_EQ(EncodeSettingsExtension(changed), Framed(Record(2, fixtures::Bytes({0}))));
    EXPECT_EQ(EncodeSettingsExtension(SettingsExtension{}), "");
    EXPECT_TRUE(UserOptions{}.pauseInFullScreen) << "on by default";

    const struct {
        const char* name;
        std::string block;
        std::optional<bool> pauseInFullScreen;  // nothing: the block is damaged
    } cases[] = {
        {"off", Framed(Record(2, fixtures::Bytes({0}))), false},
        {"on, as the default", Framed(Record(2, fixtures::Bytes({1}))), true},
        {"a value other than 0 and 1", Framed(Record(2, fixtures::Bytes({2}))), std::nullopt},
        {"no byte", Framed(Record(2, "")), std::nullopt},
        {"a byte to spare", Framed(Record(2, fixtures::Bytes({0, 0}))), std::nullopt},
    };
    for (const auto& c : cases) {
        const auto decoded = DecodeSettingsExtension(c.block);
        ASSERT_EQ(decoded.has_value(), c.pauseInFullScreen.has_value()) << c.name;
        if (decoded) {
            EXPECT_EQ(decoded->userOptions.pauseInFullScreen, *c.pauseInFullScreen) << c.name;
        }
    }
    EXPECT_EQ(EncodeSettingsExtension(*DecodeSettingsExtension(cases[1].block)), "")
        << "a record at the default is not written back";
}

}  // namespace
