// One wallpaper over several monitors: where each picture goes on its
// monitor, and what the tiled desktop then shows.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "tests/support/allocation_meter.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"
#include "wallpaper/scale.h"
#include "wallpaper/screen_placement.h"

namespace {

constexpr PixelValue kDesktop = 0x256F95;
constexpr std::int32_t kNone = 0, kTile = 1, kEnlarge = 2, kFill = 3, kFit = 4;

TEST(MonitorPlacement, EachMethodShowsAsOnAScreenOfTheMonitorsSize) {
    const struct {
        const char* name;
        std::int32_t method;
        std::uint32_t magnification;
        BitmapSize picture;
        MonitorPlacement expected;
    } cases[] = {
        {"None centred", kNone, 100, {40, 30}, {{0, 0, 40, 30}, {40, 30}, {0, 0, 40, 30}, {30, 25, 40, 30}}},
        {"None at 50 %, sides truncated", kNone, 50, {41, 31},
         {{0, 0, 41, 31}, {20, 15}, {0, 0, 20, 15}, {40, 32, 20, 15}}},
        {"None larger than the monitor shows its centre", kNone, 200, {80, 60},
         {{0, 0, 80, 60}, {160, 120}, {30, 20, 100, 80}, {0, 0, 100, 80}}},
        {"an unknown method as None", 9, 100, {40, 30}, {{0, 0, 40, 30}, {40, 30}, {0, 0, 40, 30}, {30, 25, 40, 30}}},
        {"Tile from the corner", kTile, 100, {40, 30}, {{0, 0, 40, 30}, {40, 30}, {0, 0, 40, 30}, {0, 0, 40, 30}, true}},
        {"a tile larger than the monitor is cut", kTile, 300, {40, 30},
         {{0, 0, 40, 30}, {120, 90}, {0, 0, 100, 80}, {0, 0, 100, 80}, true}},
        {"Enlarge stretches over the monitor", kEnlarge, 50, {40, 30},
         {{0, 0, 40, 30}, {100, 80}, {0, 0, 100, 80}, {0, 0, 100, 80}}},
        {"Fit between bands", kFit, 100, {200, 100}, {{0, 0, 200, 100}, {100, 50}, {0, 0, 100, 50}, {0, 15, 100, 50}}},
        {"Fill shows the centre, whatever the magnification", kFill, 50, {200, 100},
         {{37, 0, 125, 100}, {100, 80}, {0, 0, 100, 80}, {0, 0, 100, 80}}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceOnMonitor(c.method, c.magnification, c.picture, {100, 80}), c.expected) << c.name;
    }
}

Bitmap Patterned(BitmapSize size) {
    auto bitmap = Bitmap::Allocate(size);
    for (std::size_t i = 0; i < bitmap->PixelCount(); ++i)
        bitmap->Pixels()[i] = static_cast<PixelValue>(i * 2654435761u);
    return std::move(*bitmap);
}

// A part scaled in place is the same part of the whole picture scaled,
// pixel for pixel: shrunk, grown, copied and from rows decoded reduced.
TEST(ScaleInto, APartIsThatPartOfTheWholeScaledPicture) {
    const Bitmap source = Patterned({37, 23});
    const struct {
        int reduction;
        BitmapSize full, size;
        PixelRect shown;
    } cases[] = {
        {1, {37, 23}, {20, 11}, {3, 2, 15, 7}},  {1, {37, 23}, {90, 50}, {41, 17, 30, 33}},
        {1, {37, 23}, {37, 23}, {5, 6, 20, 10}}, {2, {74, 46}, {18, 11}, {0, 4, 18, 7}},
        {1, {37, 23}, {90, 50}, {0, 0, 90, 50}},
    };
    for (const auto& c : cases) {
        const auto whole = ScaleReducedRows(RowsOf(source), c.reduction, c.full, c.size);
        auto part = Bitmap::Allocate({c.shown.width + 4, c.shown.height + 2});
        std::fill_n(part->Pixels(), part->PixelCount(), 0x12345678u);
        ASSERT_TRUE(whole && part);
        ASSERT_TRUE(ScaleReducedRowsInto(RowsOf(source), c.reduction, c.full, c.size, c.shown,
                                         TargetIn(*part, {2, 1, c.shown.width, c.shown.height})));
        for (int y = 0; y < part->Height(); ++y) {
            for (int x = 0; x < part->Width(); ++x) {
                const bool inside = x >= 2 && x < 2 + c.shown.width && y >= 1 && y < 1 + c.shown.height;
                const PixelValue expected =
                    inside ? whole->RowFromTop(static_cast<int>(c.shown.y) + y - 1)[c.shown.x + x - 2]
                           : 0x12345678u;
                ASSERT_EQ(part->RowFromTop(y)[x], expected)
                    << c.size.width << "x" << c.size.height << " at " << x << "," << y;
            }
        }
    }
}

// Pictures named by their colour, or by a pattern of their own.
class Pictures {
  public:
    MonitorPicture Solid(PixelValue colour, std::int32_t method = kEnlarge, BitmapSize size = {8, 6}) {
        const std::string name = "solid" + std::to_string(colour);
        bitmaps_[name] = [colour, size] { return std::move(*CreateSolidBitmap(size, colour)); };
        return {name, method, 100, 0};
    }
    MonitorPicture Made(const std::string& name, std::function<Bitmap()> make, std::int32_t method) {
        bitmaps_[name] = std::move(make);
        return {name, method, 100, 0};
    }
    MonitorPictureLoader Loader() {
        return [this](const MonitorPicture& p, const JpegReductionRule&) -> std::optional<Picture> {
            const auto found = bitmaps_.find(p.path);
            if (found == bitmaps_.end())
                return std::nullopt;
            return Picture(found->second());
        };
    }

  private:
    std::map<std::string, std::function<Bitmap()>> bitmaps_;
};

// What the desktop shows at (x, y) of the virtual screen when the bitmap is
// tiled from (0, 0).
PixelValue Shown(const Bitmap& bitmap, std::int64_t x, std::int64_t y) {
    const std::int64_t w = bitmap.Width(), h = bitmap.Height();
    return bitmap.RowFromTop(static_cast<int>((y % h + h) % h))[(x % w + w) % w];
}

constexpr PixelValue kColours[] = {0xC81E1E, 0x1EC83C, 0x1E3CC8, 0xC8C81E};

TEST(SpanningWallpaper, TiledFromThePrimaryCornerEachMonitorShowsItsPicture) {
    const struct {
        const char* name;
        std::vector<MonitorRect> monitors;  // in the order their pictures come
    } cases[] = {
        {"side by side", {{0, 0, 40, 30}, {40, 0, 72, 24}}},
        {"left of the primary", {{-32, 4, 0, 30}, {0, 0, 40, 30}}},
        {"above the primary, reaching past both its sides", {{-8, -36, 56, 0}, {0, 0, 40, 30}}},
        {"left of and above the primary", {{-40, -30, 0, 0}, {0, 0, 40, 30}}},
        {"vertical, right of the primary", {{0, 0, 40, 30}, {40, -6, 58, 42}}},
        {"three of mixed sizes", {{-24, 12, 0, 30}, {0, 0, 40, 30}, {40, 0, 56, 10}}},
    };
    for (const auto& c : cases) {
        Pictures pictures;
        std::vector<MonitorPicture> shows;
        for (std::size_t i = 0; i < c.monitors.size(); ++i)
            shows.push_back(pictures.Solid(kColours[i]));
        const auto bitmap =
            ComposeSpanningBitmap(LayOutMonitors(c.monitors), shows, pictures.Loader(), kDesktop);
        ASSERT_TRUE(bitmap) << c.name;
        for (std::size_t i = 0; i < c.monitors.size(); ++i) {
            const MonitorRect& m = c.monitors[i];
            for (std::int64_t y = m.top; y < m.bottom; ++y) {
                for (std::int64_t x = m.left; x < m.right; ++x) {
                    ASSERT_EQ(Shown(*bitmap, x, y) & 0xFFFFFF, kColours[i])
                        << c.name << ": " << x << "," << y;
                }
            }
        }
    }
}

// A 4 x 2 picture of eight colours, tiled on a monitor that starts at
// column 10 of the bitmap: the first tile lies in the monitor's corner.
TEST(SpanningWallpaper, TilesStartFromTheirMonitorsCorner) {
    Pictures pictures;
    const auto eight = [] {
        auto bitmap = Bitmap::Allocate({4, 2});
        for (int i = 0; i < 8; ++i)
            bitmap->RowFromTop(i / 4)[i % 4] = 0x101010u * static_cast<PixelValue>(i + 1);
        return std::move(*bitmap);
    };
    const std::vector<MonitorPicture> shows = {pictures.Solid(kColours[0]),
                                               pictures.Made("eight", eight, kTile)};
    const auto bitmap = ComposeSpanningBitmap(LayOutMonitors({{0, 0, 10, 8}, {10, 0, 29, 7}}), shows,
                                              pictures.Loader(), kDesktop);
    ASSERT_TRUE(bitmap);
    for (int y = 0; y < 8; ++y) {
        for (int x = 10; x < 29; ++x) {
            const PixelValue expected =
                y < 7 ? 0x101010u * static_cast<PixelValue>(y % 2 * 4 + (x - 10) % 4 + 1)
                      : kDesktop;  // below the shorter monitor
            ASSERT_EQ(bitmap->RowFromTop(y)[x] & 0xFFFFFF, expected) << x << "," << y;
        }
    }
}

// A centred picture twice the monitor's width shows its middle half, and a
// small one blended half and half lies centred on the desktop colour.
TEST(SpanningWallpaper, NoneCentresThePictureOnItsMonitorAndBlendsIt) {
    Pictures pictures;
    const auto columns = [] {
        auto bitmap = Bitmap::Allocate({40, 10});
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 40; ++x)
                bitmap->RowFromTop(y)[x] = static_cast<PixelValue>(x);
        }
        return std::move(*bitmap);
    };
    MonitorPicture half = pictures.Solid(0xFFFFFF, kNone, {4, 2});
    half.transparency = 50;
    const std::vector<MonitorPicture> shows = {pictures.Made("columns", columns, kNone), half};
    const auto bitmap = ComposeSpanningBitmap(LayOutMonitors({{0, 0, 20, 10}, {20, 0, 30, 6}}), shows,
                                              pictures.Loader(), kDesktop);
    ASSERT_TRUE(bitmap);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(bitmap->RowFromTop(5)[x] & 0xFFFFFF, static_cast<PixelValue>(x + 10)) << x;
    const PixelValue blended = (0xFF * 128 + 0x25 * 128) >> 8 << 16 | (0xFF * 128 + 0x6F * 128) >> 8 << 8 |
                               (0xFF * 128 + 0x95 * 128) >> 8;
    for (int y = 0; y < 6; ++y) {
        for (int x = 20; x < 30; ++x) {
            const bool inside = x >= 23 && x < 27 && y >= 2 && y < 4;
            EXPECT_EQ(bitmap->RowFromTop(y)[x] & 0xFFFFFF, inside ? blended : kDesktop) << x << "," << y;
        }
    }
}

// Fewer pictures than monitors come again in turn; a monitor whose picture
// cannot be decoded shows the plain desktop colour, and with none to show
// there is no wallpaper.
TEST(SpanningWallpaper, PicturesComeAgainInTurnAndOneThatFailsLeavesItsMonitorPlain) {
    Pictures pictures;
    const MonitorPicture missing{"missing", kEnlarge, 100, 0};
    const SpanningLayout layout = LayOutMonitors({{0, 0, 4, 4}, {4, 0, 8, 4}, {8, 0, 12, 4}, {12, 0, 16, 4}});
    const auto bitmap = ComposeSpanningBitmap(layout, {pictures.Solid(kColours[0]), missing, pictures.Solid(kColours[1])},
                                              pictures.Loader(), kDesktop);
    ASSERT_TRUE(bitmap);
    const PixelValue expected[] = {kColours[0], kDesktop, kColours[1], kColours[0]};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(bitmap->RowFromTop(1)[4 * i + 1] & 0xFFFFFF, expected[i]) << i;
    EXPECT_FALSE(ComposeSpanningBitmap(layout, {missing}, pictures.Loader(), kDesktop));
}

// The bitmap and one decoded picture at a time, and a few rows of working
// values for each thread of the scaler: no monitor-sized bitmap in between,
// and no picture larger than the monitor made whole.
TEST(SpanningWallpaper, HoldsNoMoreThanTheBitmapAndOnePicture) {
    constexpr int kMonitorWidth = 640, kMonitorHeight = 360;
    static constexpr BitmapSize kPicture{1000, 600};
    const MonitorPictureLoader load = [](const MonitorPicture&,
                                         const JpegReductionRule&) -> std::optional<Picture> {
        auto picture =
            Picture::AllocateRgb(static_cast<int>(kPicture.width), static_cast<int>(kPicture.height));
        std::memset(picture->RgbTop(), 0x5A,
                    static_cast<std::size_t>(kPicture.width * kPicture.height * 3));
        return picture;
    };
    std::vector<MonitorPicture> shows = {{"a", kFill, 100, 30}, {"b", kTile, 150, 0}, {"c", kNone, 300, 0}};
    const SpanningLayout layout = LayOutMonitors({{-kMonitorWidth, 0, 0, kMonitorHeight},
                                                  {0, 0, kMonitorWidth, kMonitorHeight},
                                                  {kMonitorWidth, 0, 2 * kMonitorWidth, kMonitorHeight}});
    std::size_t peak = 0;
    {
        const allocation_meter::Scope meter;
        ASSERT_TRUE(ComposeSpanningBitmap(layout, shows, load, kDesktop));
        peak = meter.PeakBytes();
    }
    const std::size_t bitmap = 3u * kMonitorWidth * kMonitorHeight * 4;
    const std::size_t picture = static_cast<std::size_t>(kPicture.width * kPicture.height * 3);
    const std::size_t working = 4u * 8 * kMonitorWidth * 16;  // four threads, eight rows of sums each
    EXPECT_LE(peak, bitmap + picture + working);
}

}  // namespace
