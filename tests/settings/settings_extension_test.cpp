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
    const SettingsExtension cases[] = {WithStyle(), extension, SettingsExtension{{}, {{9, ""}}, {}, {}}, options};
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

// The later options go into a record of their own: tag 2 stays the one
// byte a reader of the first extension accepts, and that reader keeps tag 3
// as an unknown record.
TEST(SettingsExtension, TheDisplayOptionsHaveARecordOfTheirOwnBesideTheOneByteOfTag2) {
    const auto options = [](bool pause, bool perMonitor, std::optional<bool> restore) {
        SettingsExtension extension;
        extension.userOptions = {pause, perMonitor, restore};
        return extension;
    };
    const struct {
        const char* name;
        SettingsExtension written;
        std::string records;
    } cases[] = {
        {"pictures per monitor", options(true, true, std::nullopt), Record(3, fixtures::Bytes({1, 0}))},
        {"restore on display change off", options(true, false, false), Record(3, fixtures::Bytes({0, 1}))},
        {"restore on display change on", options(true, false, true), Record(3, fixtures::Bytes({0, 2}))},
        {"with the pause off", options(false, true, true),
         Record(2, fixtures::Bytes({0})) + Record(3, fixtures::Bytes({1, 2}))},
        {"the pause alone", options(false, false, std::nullopt), Record(2, fixtures::Bytes({0}))},
        {"every option at its default", options(true, false, std::nullopt), ""},
    };
    for (const auto& c : cases) {
        const std::string block = EncodeSettingsExtension(c.written);
        EXPECT_EQ(block, c.records.empty() ? "" : Framed(c.records)) << c.name;
        const auto decoded = DecodeSettingsExtension(block);
        ASSERT_TRUE(decoded.has_value()) << c.name;
        EXPECT_EQ(decoded->userOptions, c.written.userOptions) << c.name;
    }
}

TEST(SettingsExtension, ADisplayOptionsRecordOfAnotherLengthOrValueDamagesTheBlock) {
    const std::string payloads[] = {
        "", fixtures::Bytes({1}), fixtures::Bytes({1, 2, 0}), fixtures::Bytes({2, 0}), fixtures::Bytes({0, 3}),
    };
    for (const auto& payload : payloads) {
        EXPECT_FALSE(DecodeSettingsExtension(Framed(Record(3, payload))).has_value()) << payload.size() << " bytes";
    }
}

int XOf(const IconLayout& layout, const std::string& name) {
    return layout.Find(name) ? layout.Find(name)->x : -1;
}

IconLayout Icons(std::initializer_list<IconPosition> icons) {
    IconLayout layout;
    for (const auto& icon : icons) layout.Insert(icon);
    return layout;
}

// Saved on A, then on B: B's layout is the classic one, A's is in the block.
TEST(SettingsExtension, TheLayoutsOfTheSetupsSurviveARoundTripBesideTheClassicLayoutSavedLast) {
    AppSettings settings;
    fixtures::FillRichSettings(settings);
    settings.extension.setupLayouts.Save("0,0,1024,768@96", Icons({{10, 20, "ごみ箱"}, {-5, 70000, "Doc"}}),
                                         settings.iconLayout);
    settings.extension.setupLayouts.Save("0,0,800,600@96", Icons({{1, 2, "ごみ箱"}}), settings.iconLayout);
    settings.extension.unknownRecords.push_back({300, "later"});
    const std::string bytes = fixtures::Serialized(settings);

    AppSettings loaded;
    ASSERT_EQ(Load(bytes, loaded), LoadResult::Loaded);
    EXPECT_EQ(loaded.extension, settings.extension);
    EXPECT_TRUE(fixtures::SameSettings(loaded, settings));
    const AppSettings classic = ReadClassically(bytes);
    EXPECT_TRUE(classic.iconLayout == Icons({{1, 2, "ごみ箱"}})) << "a classic reader finds the layout saved last";
    EXPECT_EQ(XOf(loaded.extension.setupLayouts.Choose("0,0,1024,768@96", loaded.iconLayout), "Doc"), -5);
}

// The layouts' record as documented, built by hand: two set-ups, the first
// the one saved last, the second with one icon.
TEST(SettingsExtension, TheLayoutsRecordIsReadByItsDocumentedLayout) {
    const auto text = [](const std::string& t) { return fixtures::Int32(static_cast<std::int32_t>(t.size())) + t; };
    const std::string setupA = text("A") + fixtures::Bytes({1});
    const std::string icon = fixtures::Int32(-5) + fixtures::Int32(7) + text("ごみ箱");
    const std::string setupB = text("B") + fixtures::Bytes({0}) + fixtures::Int32(1) + icon;
    const std::string payload = fixtures::Int32(2) + setupA + setupB;
    const auto decoded = DecodeSettingsExtension(Framed(Record(4, payload)));
    ASSERT_TRUE(decoded.has_value());
    const auto& entries = decoded->setupLayouts.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (SetupLayouts::Entry{"A", std::nullopt}));
    EXPECT_EQ(entries[1], (SetupLayouts::Entry{"B", Icons({{-5, 7, "ごみ箱"}})}));
    EXPECT_EQ(EncodeSettingsExtension(*decoded), Framed(Record(4, payload)));

    std::string seventeen = fixtures::Int32(17);
    for (int i = 0; i < 17; ++i) seventeen += text(std::string(1, static_cast<char>('a' + i))) + fixtures::Bytes({0}) + fixtures::Int32(0);
    const struct {
        const char* name;
        std::string payload;
    } damaged[] = {
        {"no count", ""},
        {"fewer set-ups than counted", fixtures::Int32(3) + setupA + setupB},
        {"bytes to spare", payload + "!"},
        {"an icon cut short", fixtures::Int32(1) + text("B") + fixtures::Bytes({0}) + fixtures::Int32(1) + icon.substr(0, 9)},
        {"a kind other than 0 and 1", fixtures::Int32(1) + text("A") + fixtures::Bytes({2})},
        {"two set-ups saved last", fixtures::Int32(2) + setupA + text("C") + fixtures::Bytes({1})},
        {"a set-up twice", fixtures::Int32(2) + setupB + setupB},
        {"a set-up without a key", fixtures::Int32(1) + text("") + fixtures::Bytes({1})},
        {"seventeen set-ups", seventeen},
    };
    for (const auto& c : damaged) {
        EXPECT_FALSE(DecodeSettingsExtension(Framed(Record(4, c.payload))).has_value()) << c.name;
    }
}

// However many icons the set-ups hold, the block stays short enough for a
// reader to take: the least recently used set-ups are left out.
TEST(SettingsExtension, LayoutsBeyondTheLongestBlockLeaveOutTheLeastRecentlyUsed) {
    SettingsExtension extension;
    IconLayout classic;
    for (int setup = 0; setup < 16; ++setup) {
        IconLayout layout;
        for (int i = 0; i < 2000; ++i) layout.Insert({i, setup, "an icon with a longer name " + std::to_string(i)});
        extension.setupLayouts.Save(std::to_string(setup), std::move(layout), classic);
    }
    extension.unknownRecords.push_back({300, "later"});
    const std::string block = EncodeSettingsExtension(extension);
    ASSERT_LE(block.size(), kLargestSettingsExtension);
    const auto decoded = DecodeSettingsExtension(block);
    ASSERT_TRUE(decoded.has_value());
    const auto& kept = decoded->setupLayouts.Entries();
    ASSERT_GT(kept.size(), 1u);
    ASSERT_LT(kept.size(), 16u);
    for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(kept[i], extension.setupLayouts.Entries()[i]) << i;
    EXPECT_EQ(decoded->unknownRecords, extension.unknownRecords);
}

}  // namespace
