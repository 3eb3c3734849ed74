#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "jpeg/decoder.h"
#include "tests/wallpaper/jpeg_writer.h"

namespace {

std::string ReadFixture(const std::string& name) {
    std::string bytes;
    if (FILE* f = std::fopen((std::string(VISTALOOM_NATIVE_FIXTURES) + "/" + name).c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

struct Decoded {
    bool ok = false;
    bool asked = false;  // rowsFor was called
    std::vector<std::uint8_t> rows;
};

Decoded Decode(const std::string& file, int reduction) {
    Decoded out;
    out.ok = DecodeJpegRows(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), reduction,
                            [&](int width, int height) {
                                out.asked = true;
                                out.rows.assign(static_cast<std::size_t>(width) * height * 3, 0);
                                return JpegRows{out.rows.data(), static_cast<std::ptrdiff_t>(width) * 3};
                            });
    return out;
}

// The same coefficients in other scans make the same picture, at every
// reduction: the baseline file decodes through the single-scan path.
TEST(JpegScans, EveryArrangementOfScansDecodesAsTheBaselinePicture) {
    const struct {
        const char* sampling;
        std::vector<const char*> arrangements;
    } cases[] = {
        {"1x1", {"progressive", "restarts", "approximation", "components"}},
        {"2x1", {"progressive", "restarts", "approximation", "components"}},
        {"1x2", {"progressive", "restarts", "approximation", "components"}},
        {"2x2", {"progressive", "restarts", "approximation", "components"}},
        {"4x1", {"progressive", "restarts", "approximation", "components"}},
        {"1x4", {"progressive", "restarts", "approximation", "components"}},
        {"grey", {"progressive", "restarts"}},
        {"ycck", {"progressive", "restarts", "components"}},
    };
    for (const auto& c : cases) {
        const std::string base = std::string("scans-") + c.sampling;
        const std::string baseline = ReadFixture(base + ".jpg");
        ASSERT_FALSE(baseline.empty()) << base;
        for (const int reduction : {1, 2, 4, 8}) {
            const Decoded expected = Decode(baseline, reduction);
            ASSERT_TRUE(expected.ok) << base << " 1/" << reduction;
            for (const char* arrangement : c.arrangements) {
                const std::string name = base + "-" + arrangement + ".jpg";
                const Decoded decoded = Decode(ReadFixture(name), reduction);
                ASSERT_TRUE(decoded.ok) << name << " 1/" << reduction;
                EXPECT_EQ(decoded.rows, expected.rows) << name << " 1/" << reduction;
            }
        }
    }
}

// The offset of the n-th occurrence of a marker, from the end when n < 0.
std::size_t Find(const std::string& file, const char* marker, int n) {
    std::vector<std::size_t> found;
    for (std::size_t at = file.find(marker); at != std::string::npos; at = file.find(marker, at + 1))
        found.push_back(at);
    if (found.empty()) return std::string::npos;
    return found[static_cast<std::size_t>(n < 0 ? static_cast<int>(found.size()) + n : n)];
}

TEST(JpegScans, ScansThatLeaveCoefficientsShortOrBreakTheirOrderAreRefused) {
    // Scans: DC of all at bit 1; Y 1-5 to bit 2; Cr, Cb 1-63 to bit 1; Y
    // 6-63 to bit 2; Y 1-63 bit 2 to 1; DC bit 0; Cr, Cb, Y 1-63 bit 0.
    const std::string good = ReadFixture("scans-2x2-approximation.jpg");
    const std::string sequential = ReadFixture("scans-1x1-components.jpg");
    ASSERT_TRUE(Decode(good, 2).ok);
    ASSERT_TRUE(Decode(sequential, 2).ok);
    const auto changed = [](std::string file, std::size_t at, const std::string& bytes) {
        return file.replace(at, bytes.size(), bytes);
    };
    // The approximation byte of the n-th scan header (of 1 component).
    const auto approximation = [&](int n) { return Find(good, "\xFF\xDA", n) + 9; };
    const std::string dqt = "\xFF\xDB" + std::string("\0\x43\0", 3) + std::string(64, '\x01');
    const struct {
        const char* name;
        std::string file;
    } cases[] = {
        // The system's decoder would estimate Y's low coefficients from
        // their neighbours.
        {"the last bit of Y's AC never sent", good.substr(0, Find(good, "\xFF\xDA", -1)) + "\xFF\xD9"},
        {"no DC at all", good.substr(0, Find(good, "\xFF\xDA", 0)) + "\xFF\xD9"},
        {"cut inside a scan", good.substr(0, Find(good, "\xFF\xDA", 3) + 40)},
        {"a refinement of bits never sent", changed(good, approximation(1), "\x21")},
        {"a refinement of more than a bit", changed(good, approximation(1), "\x31")},
        {"a first scan of bits already sent", changed(good, approximation(-1), std::string(1, '\0'))},
        {"a band past the last coefficient", changed(good, approximation(1) - 1, "\x40")},
        {"a component scanned twice", changed(sequential, Find(sequential, "\xFF\xDA", 1) + 5, "\x01")},
        {"a quantisation table after a scan",
         changed(good, 0, "").insert(Find(good, "\xFF\xDA", 1), dqt)},
    };
    for (const auto& c : cases) {
        for (const int reduction : {1, 8}) EXPECT_FALSE(Decode(c.file, reduction).ok) << c.name;
    }
}

TEST(JpegScans, AFrameTheScansCannotFillIsRefusedBeforeItsPictureIsMade) {
    std::string file = ReadFixture("scans-2x2-progressive.jpg");
    const std::size_t frame = Find(file, "\xFF\xC2", 0);
    ASSERT_NE(frame, std::string::npos);
    file.replace(frame + 5, 4, "\x7F\xFF\x7F\xFF");  // 32767 x 32767 from 9 KB
    const Decoded decoded = Decode(file, 8);
    EXPECT_FALSE(decoded.ok);
    EXPECT_FALSE(decoded.asked);
}

// Damage the system's decoder only warns about, and the picture it makes
// of it: the same as of the whole file.
TEST(JpegTolerance, MarkersAmongJunkAndMissingTablesDecodeAsTheCleanFile) {
    const std::string clean = ReadFixture("scans-2x1.jpg");
    const std::string standard = ReadFixture("standard-tables.jpg");
    ASSERT_FALSE(clean.empty() || standard.empty());
    const auto inserted = [](std::string file, std::size_t at, const std::string& bytes) {
        return file.insert(at, bytes);
    };
    // The Huffman tables left out, as a Motion-JPEG frame leaves them.
    std::string motion = standard;
    for (std::size_t at; (at = motion.find("\xFF\xC4")) != std::string::npos;)
        motion.erase(at, 2 + (static_cast<std::uint8_t>(motion[at + 2]) << 8 | static_cast<std::uint8_t>(motion[at + 3])));
    const struct {
        const char* name;
        std::string file;
        const std::string& expected;
    } cases[] = {
        {"junk before a marker", inserted(clean, Find(clean, "\xFF\xDB", 0), "junk"), clean},
        {"junk before the scan", inserted(clean, Find(clean, "\xFF\xDA", 0), std::string("\x12\0\xFF\0", 4)), clean},
        {"a restart marker and TEM among the tables", inserted(clean, Find(clean, "\xFF\xC4", 0), "\xFF\xD3\xFF\x01"),
         clean},
        {"no Huffman tables", motion, standard},
    };
    for (const auto& c : cases) {
        for (const int reduction : {1, 4}) {
            const Decoded expected = Decode(c.expected, reduction);
            const Decoded decoded = Decode(c.file, reduction);
            ASSERT_TRUE(expected.ok) << c.name;
            ASSERT_TRUE(decoded.ok) << c.name;
            EXPECT_EQ(decoded.rows, expected.rows) << c.name << " 1/" << reduction;
        }
    }
    EXPECT_FALSE(Decode(inserted(clean, Find(clean, "\xFF\xDB", 0), "\xFF\xD8"), 1).ok) << "a second SOI";
    EXPECT_FALSE(Decode(inserted(clean, Find(clean, "\xFF\xDA", 0), "\xFF\xD9"), 1).ok) << "EOI before the scan";
}

// Where an interval's data ends before its blocks do, the system's decoder
// leaves the rest of them zero, mid-grey, and goes on at the next restart
// marker: with these tables zero bits decode as zero too, so the whole
// interval is grey.
TEST(JpegTolerance, AnIntervalCutShortIsGreyAndTheNextGoesOn) {
    jpeg_writer::Picture p;
    p.width = 48;
    p.height = 40;
    for (auto& table : p.quant) table.fill(3);
    p.components = {{1, 2, 2, 0, {}, 0}, {2, 1, 1, 1, {}, 0}, {3, 1, 1, 1, {}, 0}};
    for (auto& component : p.components) {
        jpeg_writer::MakeBlocks(p, component);
        for (std::size_t b = 0; b < component.blocks.size(); ++b) {
            component.blocks[b][0] = static_cast<int>(b % 17) * 9 - 60;
            component.blocks[b][9] = static_cast<int>(b % 5) - 2;
        }
    }
    p.restartInterval = jpeg_writer::McusAcross(p);  // a row of MCUs each
    const std::string whole = jpeg_writer::Write(p);
    const std::size_t first = Find(whole, "\xFF\xD0", 0), second = Find(whole, "\xFF\xD1", 0);
    ASSERT_LT(first, second);
    // The second interval, row 1, emptied.
    const std::string cut = whole.substr(0, first + 2) + whole.substr(second);
    for (const int reduction : {1, 2, 8}) {
        const Decoded expected = Decode(whole, reduction);
        const Decoded decoded = Decode(cut, reduction);
        ASSERT_TRUE(expected.ok && decoded.ok) << reduction;
        const std::size_t row = static_cast<std::size_t>((p.width + reduction - 1) / reduction) * 3;
        const std::size_t top = row * static_cast<std::size_t>(16 / reduction);
        for (std::size_t i = 0; i < decoded.rows.size(); ++i) {
            if (i >= top && i < 2 * top) {
                ASSERT_EQ(decoded.rows[i], 128) << reduction << " at " << i;
            } else {
                ASSERT_EQ(decoded.rows[i], expected.rows[i]) << reduction << " at " << i;
            }
        }
    }
}

}  // namespace
