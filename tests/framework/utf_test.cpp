#include "framework/utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, EveryFileNameSurvivesTheRoundTrip) {
    const std::u16string names[] = {
        u"", u"plain.jpg", u"été-한글.bmp", u"写真\\表示.jpg", u"😀 party.gif",
        std::u16string{u'a', 0xD800, u'b'},  // a surrogate without its partner, as NTFS allows
        std::u16string{0xDC00},
    };
    for (const auto& name : names) EXPECT_EQ(utf::ToUtf16(utf::ToUtf8(name)), name);
    EXPECT_EQ(utf::ToUtf8(u"été"), "été");
    EXPECT_EQ(utf::ToUtf8(u"😀"), "\xF0\x9F\x98\x80");
}

TEST(Utf, BytesThatAreNotUtf8BecomeReplacementCharacters) {
    const struct {
        const char* what;
        std::string bytes;
        std::u16string text;
    } cases[] = {
        {"a code page 932 byte pair", "\x95\x5C", u"\uFFFD\\"},
        {"a sequence cut short", "a\xE3\x81", u"a\uFFFD\uFFFD"},
        {"an overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"past the last code point", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(utf::ToUtf16(c.bytes), c.text) << c.what;
}

}  // namespace
