#include "settings/settings_stream.h"

#include <gtest/gtest.h>

#include "tests/support/allocation_meter.h"
#include "tests/support/settings_fixtures.h"

using fixtures::Bytes;
using fixtures::Int32;

namespace {

LoadResult Load(const std::string& bytes, AppSettings& settings) {
    MemorySource source(bytes);
    return ReadSettings(settings, source, bytes.size());
}

// Fields 1 to 12 of a default record.
std::string DefaultHead() {
    return Int32(0) + Int32(1) + Int32(0) + Int32(0) + Int32(0) + Int32(1) + Int32(10) + Int32(0) + Int32(0) +
           Int32(1) + Bytes({0x00}) + Bytes({0x00, 0x00});
}

TEST(SettingsFile, DefaultRecordIsTheFiftyOneByteImage) {
    AppSettings defaults;
    const std::string expected = DefaultHead() + Int32(0) + Int32(0);
    ASSERT_EQ(expected.size(), 51u);
    EXPECT_EQ(fixtures::Serialized(defaults), expected);

    AppSettings loaded;
    ASSERT_EQ(Load(expected, loaded), LoadResult::Loaded);
    EXPECT_TRUE(fixtures::SameSettings(loaded, defaults));
}

TEST(SettingsFile, PictureAndIconRecordsMatchTheWorkedExamples) {
    AppSettings s;
    WallpaperEntry entry;
    entry.path = "C:\\a.jpg";
    s.imageList.push_back(entry);
    s.iconLayout.Insert({10, 20, "abc"});
    const std::string picture = Bytes({0, 0, 0, 0, 0x64, 0, 0, 0, 0, 0, 0, 0, 0x08, 0x43, 0x3A, 0x5C, 0x61, 0x2E,
                                       0x6A, 0x70, 0x67, 0, 0, 0, 0, 0, 0, 0, 0});
    const std::string icon = Bytes({0x0A, 0, 0, 0, 0x14, 0, 0, 0, 0x03, 0x61, 0x62, 0x63});
    ASSERT_EQ(picture.size(), 29u);
    ASSERT_EQ(icon.size(), 12u);
    EXPECT_EQ(fixtures::Serialized(s), DefaultHead() + Int32(1) + picture + Int32(1) + icon);
}

TEST(SettingsFile, RichRecordSurvivesARoundTrip) {
    AppSettings written;
    fixtures::FillRichSettings(written);
    AppSettings loaded;
    ASSERT_EQ(Load(fixtures::Serialized(written), loaded), LoadResult::Loaded);
    EXPECT_TRUE(fixtures::SameSettings(loaded, written));
}

TEST(SettingsFile, IconRecordsFollowTheIterationOrderOfTheMap) {
    AppSettings s;
    s.iconLayout.Insert({1, 0, "a"});
    s.iconLayout.Insert({2, 0, "r"});  // same bucket, newer: written first
    s.iconLayout.Insert({3, 0, "b"});  // next bucket
    const std::string icons = Int32(2) + Int32(0) + Bytes({1, 'r'}) + Int32(1) + Int32(0) + Bytes({1, 'a'}) +
                              Int32(3) + Int32(0) + Bytes({1, 'b'});
    EXPECT_EQ(fixtures::Serialized(s), DefaultHead() + Int32(0) + Int32(3) + icons);
}

TEST(SettingsFile, ReservedFieldsAreWrittenInTheirOwnOrder) {
    AppSettings s;
    WallpaperEntry entry;
    entry.reserved1 = 1;
    entry.reserved2 = 2;
    s.imageList.push_back(std::move(entry));
    const std::string bytes = fixtures::Serialized(s);
    // transparency, magnification, method, path, reserved2, reserved1, then M.
    EXPECT_EQ(bytes.substr(DefaultHead().size() + 4, 21),
              Int32(0) + Int32(100) + Int32(0) + Bytes({0}) + Int32(2) + Int32(1));
}

TEST(SettingsFile, ValuesLoadUncheckedAsStored) {
    WallpaperEntry odd;
    odd.displayMethod = 7;
    odd.magnification = -300;
    odd.transparency = 1000;
    AppSettings written;
    written.intervalUnit = 9;
    written.intervalValue = -1;
    written.imageList.push_back(odd);
    AppSettings loaded;
    ASSERT_EQ(Load(fixtures::Serialized(written), loaded), LoadResult::Loaded);
    EXPECT_EQ(loaded.intervalUnit, 9);
    EXPECT_EQ(loaded.intervalValue, -1);
    EXPECT_EQ(loaded.imageList.at(0).displayMethod, 7);
    EXPECT_EQ(loaded.imageList.at(0).magnification, -300);
    EXPECT_EQ(loaded.imageList.at(0).transparency, 1000);
}

TEST(SettingsFile, ZeroOrNegativeIconCountLoadsNoRecords) {
    const std::string icon = Int32(1) + Int32(2) + Bytes({1, 'x'});
    for (const std::int32_t m : {0, -1, -2147483647 - 1}) {
        AppSettings loaded;
        ASSERT_EQ(Load(DefaultHead() + Int32(0) + Int32(m) + icon, loaded), LoadResult::Loaded) << m;
        EXPECT_EQ(loaded.iconLayout.Size(), 0u) << m;
    }
}

TEST(SettingsFile, RepeatedIconNameLoadsAsOneRecordWithTheLaterValues) {
    const std::string bytes = DefaultHead() + Int32(0) + Int32(2) + Int32(1) + Int32(2) + Bytes({1, 'x'}) +
                              Int32(3) + Int32(4) + Bytes({1, 'x'});
    AppSettings loaded;
    ASSERT_EQ(Load(bytes, loaded), LoadResult::Loaded);
    ASSERT_EQ(loaded.iconLayout.Size(), 1u);
    EXPECT_EQ(loaded.iconLayout.Find("x")->x, 3);
    EXPECT_EQ(loaded.iconLayout.Find("x")->y, 4);
}

void ExpectEveryTruncationDamaged(const std::string& bytes, std::size_t step) {
    for (std::size_t length = 0; length < bytes.size(); length += step) {
        AppSettings target;
        target.intervalValue = 777;
        allocation_meter::Scope meter;
        ASSERT_EQ(Load(bytes.substr(0, length), target), LoadResult::Damaged) << length;
        EXPECT_EQ(target.intervalValue, 777) << length;
        EXPECT_TRUE(target.imageList.empty()) << length;
        // Never more than a small multiple of what the file itself can hold.
        ASSERT_LE(meter.PeakBytes(), 16 * length + 64 * 1024) << length;
    }
}

TEST(SettingsFile, EveryTruncationIsDamagedAndLeavesTheRecordAlone) {
    AppSettings rich;
    fixtures::FillRichSettings(rich);
    const std::string full = fixtures::Serialized(rich);
    rich.imageList.resize(3);  // the short and middle prefix forms only: small enough for every byte
    ExpectEveryTruncationDamaged(fixtures::Serialized(rich), 1);
    ExpectEveryTruncationDamaged(full, 499);
}

TEST(SettingsFile, AbsurdCountsAndLengthsAreDamagedWithoutLargeAllocations) {
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"negative picture count", DefaultHead() + Int32(-1) + Int32(0)},
        {"picture count past the end", DefaultHead() + Int32(0x7FFFFFFF) + Int32(0)},
        {"icon count past the end", DefaultHead() + Int32(0) + Int32(0x7FFFFFFF)},
        {"boss path of 4 GiB",
         Int32(0) + Int32(1) + Int32(0) + Int32(0) + Int32(0) + Int32(1) + Int32(10) + Int32(0) + Int32(0) +
             Int32(1) + Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}) + std::string(40, 'x')},
        {"UTF-16 boss path of 8 GiB",
         Int32(0) + Int32(1) + Int32(0) + Int32(0) + Int32(0) + Int32(1) + Int32(10) + Int32(0) + Int32(0) +
             Int32(1) + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}) + std::string(40, 'x')},
        {"picture path past the end",
         DefaultHead() + Int32(1) + Int32(0) + Int32(100) + Int32(0) + Bytes({0xFF, 0xFF, 0x7F}) + Int32(0) +
             Int32(0) + Int32(0)},
    };
    for (const auto& c : cases) {
        AppSettings target;
        allocation_meter::Scope meter;
        EXPECT_EQ(Load(c.bytes, target), LoadResult::Damaged) << c.what;
        EXPECT_LE(meter.PeakBytes(), 64u * 1024) << c.what;
    }
}

TEST(SettingsFile, SourceShorterThanItsStatedLengthIsDamaged) {
    AppSettings defaults;
    const std::string bytes = fixtures::Serialized(defaults);
    MemorySource source(bytes.substr(0, 30));
    AppSettings target;
    EXPECT_EQ(ReadSettings(target, source, bytes.size()), LoadResult::Damaged);
}

// A file the program wrote before it held its texts in UTF-8 keeps its
// bytes through a load and a save: code page 932 texts, 表 with its 0x5C
// trail byte, halfwidth katakana and an icon name among them.
TEST(SettingsFile, StoredCodePageTextsLoadAndSaveToTheSameBytes) {
    const std::string path = Bytes({0x11, 'C', ':', '\\', 0xC0, 0xDE, 0xB2, 0xB1, 0xDB, 0xB8, 0xDE, '\\', 0x8A, 0x43, '.', 'j', 'p', 'g'});
    const std::string file = Int32(0) + Int32(1) + Int32(0) + Int32(0) + Int32(0) + Int32(1) + Int32(10) + Int32(0) +
                             Int32(0) + Int32(1) + Bytes({0x08, 'C', ':', '\\', 0x95, 0x5C, 0x8E, 0xA6, '.'}) +
                             Bytes({0x41, 0x06}) + Int32(1) + Int32(0) + Int32(100) + Int32(0) + path + Int32(0) +
                             Int32(0) + Int32(1) + Int32(5) + Int32(-7) + Bytes({0x06, 0x82, 0xB2, 0x82, 0xDD, 0x94, 0xA0});
    AppSettings loaded;
    ASSERT_EQ(Load(file, loaded), LoadResult::Loaded);
    EXPECT_EQ(loaded.bossPicturePath, "C:\\表示.");
    ASSERT_EQ(loaded.imageList.size(), 1u);
    EXPECT_EQ(loaded.imageList[0].path, "C:\\ﾀﾞｲｱﾛｸﾞ\\海.jpg");
    EXPECT_NE(loaded.iconLayout.Find("ごみ箱"), nullptr);
    EXPECT_TRUE(fixtures::Serialized(loaded) == file);
}

}  // namespace
