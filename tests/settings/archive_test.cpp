#include "settings/archive.h"

#include <gtest/gtest.h>

#include "settings/settings_stream.h"
#include "tests/support/settings_fixtures.h"

using fixtures::Bytes;

namespace {

std::string StoredString(const std::string& text) {
    MemorySink sink;
    SettingsArchive archive(sink);
    std::string copy = text;
    archive.Transfer(copy);
    EXPECT_TRUE(archive.Flush());
    return sink.Bytes();
}

// Loads one string; nullopt-like empty result with `ok` false on failure.
std::string LoadedString(const std::string& bytes, bool& ok) {
    MemorySource source(bytes);
    SettingsArchive archive(source, bytes.size());
    std::string text = "untouched";
    archive.Transfer(text);
    ok = !archive.Failed();
    return text;
}

struct PrefixCase {
    std::size_t length;
    std::string prefix;
};

TEST(ArchiveString, PrefixFormFollowsTheLength) {
    const PrefixCase cases[] = {
        {0, Bytes({0x00})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const auto& c : cases) {
        const std::string text(c.length, 'x');
        const std::string stored = StoredString(text);
        ASSERT_EQ(stored.size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(stored.substr(0, c.prefix.size()), c.prefix) << c.length;
        bool ok = false;
        EXPECT_EQ(LoadedString(stored, ok), text) << c.length;
        EXPECT_TRUE(ok) << c.length;
    }
}

TEST(ArchiveString, ReaderAcceptsEveryPrefixFormItCanMeet) {
    struct ReadCase {
        const char* what;
        std::string bytes;
        std::string text;
    };
    const ReadCase cases[] = {
        {"middle form holding a short length", Bytes({0xFF, 0x03, 0x00, 'a', 'b', 'c'}), "abc"},
        {"long form holding a short length", Bytes({0xFF, 0xFF, 0xFF, 0x02, 0, 0, 0, 'h', 'i'}), "hi"},
        {"UTF-16 with a one-byte length", Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x42, 0x30, 'a', 0x00}), "あa"},
        {"UTF-16 that code page 932 cannot hold", Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x5C, 0xD5, 0xE9, 0x00}), "한é"},
        {"code page 932 with a 0x5C trail byte", Bytes({0x04, 0x95, 0x5C, 0x8E, 0xA6}), "表示"},
        {"UTF-16 with a middle length", Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x01, 0x00, 'z', 0x00}), "z"},
        {"empty UTF-16", Bytes({0xFF, 0xFE, 0xFF, 0x00}), ""},
    };
    for (const auto& c : cases) {
        bool ok = false;
        EXPECT_EQ(LoadedString(c.bytes, ok), c.text) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
}

// Every text the code page holds keeps the bytes the program always wrote;
// any other takes the wide form instead of losing characters.
TEST(ArchiveString, TextsTakeTheCodePageWhereItHoldsThemAndTheWideFormElse) {
    const std::string longKorean = [] {
        std::string text;
        for (int i = 0; i < 300; ++i) text += "한";
        return text;
    }();
    std::string longKoreanBytes = Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01});
    for (int i = 0; i < 300; ++i) longKoreanBytes += Bytes({0x5C, 0xD5});
    const struct {
        const char* what;
        std::string text;
        std::string bytes;
    } cases[] = {
        {"ASCII", "abc", Bytes({0x03, 'a', 'b', 'c'})},
        {"kana and kanji", "ごみ箱表", Bytes({0x08, 0x82, 0xB2, 0x82, 0xDD, 0x94, 0xA0, 0x95, 0x5C})},
        {"halfwidth katakana", "ﾀﾞｲｱﾛｸﾞ", Bytes({0x07, 0xC0, 0xDE, 0xB2, 0xB1, 0xDB, 0xB8, 0xDE})},
        {"accented Latin", "été.bmp", Bytes({0xFF, 0xFE, 0xFF, 0x07, 0xE9, 0, 't', 0, 0xE9, 0, '.', 0, 'b', 0, 'm', 0, 'p', 0})},
        {"an emoji, two units", "😀", Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x3D, 0xD8, 0x00, 0xDE})},
        {"kanji beside Korean", "写真한", Bytes({0xFF, 0xFE, 0xFF, 0x03, 0x99, 0x51, 0x1F, 0x77, 0x5C, 0xD5})},
        {"a long wide text", longKorean, longKoreanBytes},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StoredString(c.text), c.bytes) << c.what;
        bool ok = false;
        EXPECT_EQ(LoadedString(c.bytes, ok), c.text) << c.what;
        EXPECT_TRUE(ok) << c.what;
    }
}

TEST(ArchiveString, DamagedPrefixesFailWithoutTouchingTheField) {
    struct BadCase {
        const char* what;
        std::string bytes;
    };
    const BadCase cases[] = {
        {"no bytes at all", ""},
        {"length past the end", Bytes({0x05, 'a', 'b'})},
        {"cut inside the middle form", Bytes({0xFF, 0x10})},
        {"huge length with nothing behind it", Bytes({0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0xFF, 0xFF})},
        {"UTF-16 length past the end", Bytes({0xFF, 0xFE, 0xFF, 0x03, 'a', 0})},
        {"UTF-16 huge length", Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF})},
        {"wide marker inside the wide prefix", Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 0x00})},
    };
    for (const auto& c : cases) {
        bool ok = true;
        EXPECT_EQ(LoadedString(c.bytes, ok), "untouched") << c.what;
        EXPECT_FALSE(ok) << c.what;
    }
}

TEST(ArchiveNumbers, AreLittleEndianAndSigned) {
    MemorySink sink;
    SettingsArchive out(sink);
    std::int32_t negative = -2;
    std::uint16_t word = 0x047B;
    out.Transfer(negative);
    out.Transfer(word);
    ASSERT_TRUE(out.Flush());
    EXPECT_EQ(sink.Bytes(), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x7B, 0x04}));

    MemorySource source(sink.Bytes());
    SettingsArchive in(source, sink.Bytes().size());
    std::int32_t n = 0;
    std::uint16_t w = 0;
    in.Transfer(n);
    in.Transfer(w);
    EXPECT_FALSE(in.Failed());
    EXPECT_EQ(n, -2);
    EXPECT_EQ(w, 0x047B);
}

TEST(ArchiveCounts, AreBoundByTheBytesThatRemain) {
    const std::string bytes(100, '\0');
    const struct {
        std::int32_t count;
        std::size_t recordBytes;
        bool accepted;
    } cases[] = {{0, 21, true}, {4, 21, true}, {5, 21, false}, {-1, 21, false}, {0x7FFFFFFF, 9, false}};
    for (const auto& c : cases) {
        MemorySource source(bytes);
        SettingsArchive archive(source, bytes.size());
        EXPECT_EQ(archive.AcceptCount(c.count, c.recordBytes), c.accepted) << c.count;
        EXPECT_EQ(archive.Failed(), !c.accepted) << c.count;
    }
}

class FailingSink : public ByteSink {
public:
    bool Write(const void*, std::size_t) override { return false; }
};

TEST(ArchiveWriting, ReportsAFailedWriteAtFlush) {
    FailingSink sink;
    SettingsArchive archive(sink);
    std::string big(10000, 'q');  // more than one buffer, so a write happens before Flush
    archive.Transfer(big);
    EXPECT_TRUE(archive.Failed());
    EXPECT_FALSE(archive.Flush());
}

}  // namespace
