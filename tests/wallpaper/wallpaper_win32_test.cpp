#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "settings/settings_model.h"
#include "tests/support/bitmap_reference.h"
#include "tests/support/fake_shell_client_win32.h"
#include "tests/support/wine_support_win32.h"
#include "wallpaper/bitmap_file.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/picture_file_win32.h"
#include "wallpaper/prepared_picture_win32.h"
#include "wallpaper/system_decoders_win32.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"
#include "wallpaper/jpeg_picture.h"
#include "wallpaper/scale.h"
#include "wallpaper/desktop_wallpaper_win32.h"
#include "wallpaper/wallpaper_changes_win32.h"
#include "wallpaper/wallpaper_worker_win32.h"

using namespace wine_test;

namespace {

std::string Fixture(const std::string& name) { return BuildFolder() + "\\fixtures\\" + name; }

// The top-left-based pixel of a decoded picture, red, green and blue.
std::uint32_t Rgb(const Picture& picture, int x, int y) { return picture.Rows().At(x, y) & 0x00FFFFFF; }
std::uint32_t Rgb(const Bitmap& bitmap, int x, int y) { return bitmap.RowFromTop(y)[x] & 0x00FFFFFF; }

bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

TEST(PictureDecoding, EachFormatGivesItsPixelsAtItsOwnSize) {
    const struct {
        const char* file;
        int tolerance;
    } cases[] = {{"quad.bmp", 0}, {"quad.gif", 0}, {"quad.png", 0}, {"quad.jpg", 12},
                 {"quad.tif", 0}};  // TIFF: the OLE loader refuses it, WIC takes it
    for (const auto& c : cases) {
        const auto picture = LoadPictureFile(Fixture(c.file));
        ASSERT_TRUE(picture) << c.file;
        EXPECT_EQ(picture->Width(), 40) << c.file;
        EXPECT_EQ(picture->Height(), 30) << c.file;
        EXPECT_TRUE(Near(Rgb(*picture, 5, 5), 0xFF0000, c.tolerance)) << c.file << " top left";
        EXPECT_TRUE(Near(Rgb(*picture, 34, 5), 0x00FF00, c.tolerance)) << c.file << " top right";
        EXPECT_TRUE(Near(Rgb(*picture, 5, 24), 0x0000FF, c.tolerance)) << c.file << " bottom left";
        EXPECT_TRUE(Near(Rgb(*picture, 34, 24), 0xFFFFFF, c.tolerance)) << c.file << " bottom right";
    }
}

// A JPEG goes to the imaging component's decoder and stays in its 3-byte
// rows: every pixel must be what the OLE loader renders of the same file.
TEST(PictureDecoding, AJpegGivesTheOleLoadersPixels) {
    for (const char* name : {"quad.jpg", "photo12.jpg"}) {
        const std::string bytes = ReadFileBytes(Fixture(name));
        const HGLOBAL block = ::GlobalAlloc(GMEM_FIXED, bytes.size());
        std::memcpy(block, bytes.data(), bytes.size());
        fw::ComPtr<IStream> stream;
        ASSERT_HRESULT_SUCCEEDED(::CreateStreamOnHGlobal(block, TRUE, stream.Put()));
        fw::ComPtr<IPicture> ole;
        ASSERT_HRESULT_SUCCEEDED(::OleLoadPicture(stream.Get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                                                  ole.PutVoid()));
        const auto rendered = RenderOlePicture(ole.Get());
        const auto decoded = LoadPictureFile(Fixture(name));
        ASSERT_TRUE(rendered && decoded) << name;
        EXPECT_EQ(decoded->Rows().bytesPerPixel, 3) << name << ": not the decoder's own rows";
        ASSERT_EQ(decoded->Width(), rendered->Width()) << name;
        ASSERT_EQ(decoded->Height(), rendered->Height()) << name;
        int differing = 0;
        for (int y = 0; y < rendered->Height(); ++y) {
            for (int x = 0; x < rendered->Width(); ++x) differing += Rgb(*decoded, x, y) != Rgb(*rendered, x, y);
        }
        EXPECT_EQ(differing, 0) << name;
    }
}

// Per channel, how far the program's reduced decode of a wallpaper lies
// from the imaging component's full decode averaged by the resampler, as
// every JPEG was shown before.
struct Tolerance {
    int most = 0;
    std::size_t beyondOne = 0;
    std::size_t values = 0;
};

Tolerance CompareWallpapers(const Bitmap& a, const Bitmap& b) {
    Tolerance t;
    for (std::size_t i = 0; i < a.PixelCount(); ++i) {
        for (int shift : {0, 8, 16}) {
            const int d = std::abs(static_cast<int>((a.Pixels()[i] >> shift) & 0xFF) -
                                   static_cast<int>((b.Pixels()[i] >> shift) & 0xFF));
            t.most = std::max(t.most, d);
            t.beyondOne += d > 1;
            ++t.values;
        }
    }
    return t;
}

TEST(ReducedJpegDecoding, WallpapersBelowFullSizeStayWithinOneOfTheFullDecode) {
    const auto full = LoadPictureFile(Fixture("photo24.jpg"));
    ASSERT_TRUE(full);
    // At 50 % a handful of values (measured: 4 in 10,000) lie 2 away,
    // where the full decode's roundings of a sample's three components add
    // up over the two by two pixels an output averages; never more. At 12 %
    // an output covers 8 1/3 pixels, whole squares of no reduction: the
    // program decodes it at full size, sample by sample within one of the
    // imaging component.
    const struct {
        std::uint32_t magnification;
        int reduction;
        double beyondOne;
    } cases[] = {{50, 2, 1e-3}, {25, 4, 1e-5}, {10, 2, 1e-5}, {5, 4, 1e-5}, {12, 1, 0}};
    for (const auto& c : cases) {
        const BitmapSize size = ScaledSize(full->Width(), full->Height(), c.magnification);
        const auto reduced = LoadPictureFile(Fixture("photo24.jpg"), JpegReductionAt(c.magnification));
        ASSERT_TRUE(reduced) << c.magnification;
        EXPECT_EQ(reduced->Reduction(), c.reduction) << c.magnification;
        EXPECT_EQ(reduced->FullSize(), (BitmapSize{6000, 4000}));
        const auto today = ScaleRows(full->Rows(), size);
        const auto ours = ScaleReducedRows(reduced->Rows(), reduced->Reduction(), reduced->FullSize(), size);
        ASSERT_TRUE(today && ours);
        const Tolerance t = CompareWallpapers(*ours, *today);
        EXPECT_LE(t.most, c.reduction == 1 ? 1 : 2) << c.magnification;
        EXPECT_LE(static_cast<double>(t.beyondOne), c.beyondOne * static_cast<double>(t.values)) << c.magnification;
    }
}

// The system decoder's pixels averaged over squares of `reduction`, cut at
// the edges, rounded half up.
Bitmap SquareAverages(const Picture& picture, int reduction) {
    const int width = (picture.Width() + reduction - 1) / reduction;
    const int height = (picture.Height() + reduction - 1) / reduction;
    auto out = Bitmap::Allocate({width, height});
    for (int oy = 0; oy < height; ++oy) {
        for (int ox = 0; ox < width; ++ox) {
            std::uint32_t pixel = 0;
            for (int shift : {0, 8, 16}) {
                int sum = 0, n = 0;
                for (int y = oy * reduction; y < std::min(picture.Height(), (oy + 1) * reduction); ++y) {
                    for (int x = ox * reduction; x < std::min(picture.Width(), (ox + 1) * reduction); ++x, ++n) {
                        sum += static_cast<int>((picture.Rows().At(x, y) >> shift) & 0xFF);
                    }
                }
                pixel |= static_cast<std::uint32_t>((2 * sum + n) / (2 * n)) << shift;
            }
            out->RowFromTop(oy)[ox] = pixel;
        }
    }
    return std::move(*out);
}

Bitmap AsBitmap(const Picture& picture) {
    auto out = Bitmap::Allocate({picture.Width(), picture.Height()});
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) out->RowFromTop(y)[x] = picture.Rows().At(x, y) & 0xFFFFFF;
    }
    return std::move(*out);
}

// The program's decode of the fixture `name` at every reduction against
// the imaging component's full decode averaged over the same squares:
// within `reducedMost` below full size.
void ExpectSystemAverages(const char* name, int reducedMost = 2) {
    const std::string bytes = ReadFileBytes(Fixture(name));
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const auto system = LoadPictureFile(Fixture(name));
    ASSERT_TRUE(system) << name;
    for (const int reduction : {1, 2, 4, 8}) {
        const auto ours = DecodeJpeg(data, bytes.size(), reduction);
        ASSERT_TRUE(ours) << name;
        const Bitmap expected = SquareAverages(*system, reduction);
        ASSERT_EQ(ours->Width(), expected.Width());
        ASSERT_EQ(ours->Height(), expected.Height());
        const Tolerance t = CompareWallpapers(AsBitmap(*ours), expected);
        ::testing::Test::RecordProperty(std::string(name) + " 1/" + std::to_string(reduction),
                                        "most " + std::to_string(t.most) + ", beyond one " +
                                            std::to_string(t.beyondOne) + " of " + std::to_string(t.values));
        if (reduction == 1) {
            // Sample by sample the system's fixed-point transform and the
            // program's single precision differ by a rounding now and then.
            EXPECT_LE(t.most, 3) << name;
            EXPECT_LE(t.beyondOne * 100, t.values) << name;
        } else {
            EXPECT_LE(t.most, reducedMost) << name << " 1/" << reduction;
            EXPECT_LE(t.beyondOne * 1000, t.values) << name << " 1/" << reduction;
        }
    }
}

// Chroma at half resolution: the imaging component's decoder brings it to
// full size with a 16-point inverse DCT, and so does the program's model,
// whether the picture comes in one scan or in progressive ones. The
// pictures' odd sizes make squares at their edges that the picture cuts.
TEST(ReducedJpegDecoding, HalfResolutionChromaFollowsTheSystemDecoder) {
    for (const char* name : {"photo420.jpg", "progressive.jpg"}) ExpectSystemAverages(name);
}

// Adobe's inverted inks: the imaging component's decoder gives them as
// CMYK and its format converter makes colours of them, which the program's
// decoder follows sample by sample before it averages.
TEST(ReducedJpegDecoding, InksFollowTheSystemDecoderAndItsConverter) {
    for (const char* name : {"ycck.jpg", "ycck420.jpg"}) ExpectSystemAverages(name);
}

// Chroma at a quarter of the resolution: the imaging component's decoder
// makes half of it with a 16-point inverse DCT and repeats each sample.
// A repeated sample carries its transform's rounding over both rows of a
// square at 1/2: there a handful of values (measured: 7 of 500,000 in
// photo14.jpg) lie 3 from the average, as they do at full size.
TEST(ReducedJpegDecoding, QuarterResolutionChromaFollowsTheSystemDecoder) {
    for (const char* name : {"photo411.jpg", "photo14.jpg"}) ExpectSystemAverages(name, 3);
}

TEST(ReducedJpegDecoding, AJpegTheProgramsDecoderLeavesGoesToTheSystemAtFullSize) {
    const auto system = LoadPictureFile(Fixture("arithmetic.jpg"));
    const auto reduced = LoadPictureFile(Fixture("arithmetic.jpg"), JpegReductionAt(25));
    ASSERT_TRUE(system && reduced);
    EXPECT_EQ(reduced->Reduction(), 1);
    ASSERT_EQ(reduced->Width(), system->Width());
    for (int y = 0; y < system->Height(); y += 7) {
        for (int x = 0; x < system->Width(); x += 5) ASSERT_EQ(Rgb(*reduced, x, y), Rgb(*system, x, y));
    }
}

// The boss picture composed ahead of the key is the one the key would
// compose: a JPEG goes to the same decoder either way.
TEST(PreparedBossPicture, IsTheBitmapTheKeyWouldCompose) {
    const std::string path = Fixture("photo420.jpg");
    constexpr PixelValue kBackground = 0x256F95;
    const auto prepared = std::make_shared<PreparedPicture>();
    PreparedPicture::Prepare(prepared, path, kBackground);
    WIN32_FIND_DATAW found;
    const fw::UniqueFind file(::FindFirstFileW(fw::Wide(path).c_str(), &found));
    ASSERT_TRUE(file);
    std::shared_ptr<const Bitmap> ahead;
    ASSERT_TRUE(WaitFor([&] { return (ahead = prepared->Take(path, found, kBackground)) != nullptr; }));
    auto picture = LoadPictureFile(path, JpegReductionAt(100));
    ASSERT_TRUE(picture);
    const auto atKey = ComposeWallpaperBitmap(std::move(*picture), 100, 0, kBackground);
    ASSERT_TRUE(atKey);
    ASSERT_EQ(ahead->Width(), atKey->Width());
    ASSERT_EQ(ahead->Height(), atKey->Height());
    EXPECT_EQ(std::memcmp(ahead->Pixels(), atKey->Pixels(), atKey->PixelCount() * 4), 0);
}

TEST(PictureDecoding, TransparentPartsOfAGifStayWhite) {
    const auto picture = LoadPictureFile(Fixture("alpha.gif"));
    ASSERT_TRUE(picture);
    EXPECT_EQ(Rgb(*picture, 2, 10), 0xFFFFFFu);
    EXPECT_EQ(Rgb(*picture, 15, 10), 0u);
}

// An OLE picture of 40 x 30 pixels whose Render either paints it green or fails.
class StandInPicture : public IPicture {
public:
    explicit StandInPicture(bool renders) : renders_(renders) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE get_Handle(OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_hPal(OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Type(SHORT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Width(OLE_XSIZE_HIMETRIC* width) override {
        *width = HimetricOf(40, LOGPIXELSX);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Height(OLE_YSIZE_HIMETRIC* height) override {
        *height = HimetricOf(30, LOGPIXELSY);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Render(HDC dc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC, OLE_YPOS_HIMETRIC,
                                     OLE_XSIZE_HIMETRIC, OLE_YSIZE_HIMETRIC, LPCRECT) override {
        if (!renders_) return E_FAIL;
        const RECT area{x, y, x + cx, y + cy};
        fw::UniqueBrush green(::CreateSolidBrush(RGB(0, 200, 0)));
        ::FillRect(dc, &area, green.Get());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE set_hPal(OLE_HANDLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CurDC(HDC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SelectPicture(HDC, HDC*, OLE_HANDLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_KeepOriginalFormat(WINBOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_KeepOriginalFormat(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PictureChanged() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SaveAsFile(LPSTREAM, WINBOOL, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Attributes(DWORD*) override { return E_NOTIMPL; }

private:
    static LONG HimetricOf(int pixels, int axis) {
        fw::WindowDc screen(nullptr);
        return ::MulDiv(pixels, 2540, ::GetDeviceCaps(screen.Get(), axis));
    }
    bool renders_;
};

TEST(PictureDecoding, APictureThatDoesNotRenderGivesNoBitmap) {
    StandInPicture failing(false);
    EXPECT_FALSE(RenderOlePicture(&failing)) << "a blank bitmap would be shown as a white wallpaper";
    StandInPicture painting(true);
    const auto rendered = RenderOlePicture(&painting);
    ASSERT_TRUE(rendered);
    EXPECT_EQ(rendered->Width(), 40);
    EXPECT_EQ(Rgb(*rendered, 20, 15), 0x00C800u);
}

TEST(PictureDecoding, EmptyCorruptAndMissingFilesFail) {
    for (const char* name : {"empty.jpg", "corrupt.jpg", "no-such-file.jpg"}) {
        EXPECT_FALSE(LoadPictureFile(Fixture(name))) << name;
    }
    EXPECT_FALSE(LoadPictureFile(BuildFolder() + "\\fixtures"));  // a folder
}

TEST(BitmapFileWriting, WritesTheExactImageAndFailsWhereItCannotWrite) {
    TempFolder folder("bmp");
    auto one = CreateSolidBitmap({1, 1}, 0x00112233);
    ASSERT_TRUE(WriteBitmapFile(folder / "one.bmp", &*one));
    EXPECT_EQ(ReadFileBytes(folder / "one.bmp"), BitmapFileImage(*one));
    EXPECT_FALSE(WriteBitmapFile(folder / "one.bmp", nullptr));
    EXPECT_FALSE(WriteBitmapFile(folder / "no-such-folder\\x.bmp", &*one));
    fw::UniqueHandle held(::CreateFileA((folder / "held.bmp").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(held);
    EXPECT_FALSE(WriteBitmapFile(folder / "held.bmp", &*one));
}

// The per-user desktop key, and what the screen shows.
std::string DesktopValue(const char* name) {
    char text[MAX_PATH] = {};
    DWORD size = sizeof(text);
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return "?";
    const LONG result = ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS ? std::string(text) : std::string("<none>");
}

void SetDesktopValue(const char* name, const char* text) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
    ::RegCloseKey(key);
}

// Windows re-reads the user's stored wallpaper when asked for none; Wine
// re-reads the one it was last shown, which it keeps in a volatile value of
// its own. Removing that value makes Wine answer as Windows does.
void ForgetShownWallpaper() {
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\Temporary System Parameters\\Control Panel\\Desktop",
                         "Wallpaper");
}

COLORREF ScreenPixel(int x, int y) {
    fw::WindowDc screen(nullptr);
    return ::GetPixel(screen.Get(), x, y);
}

bool ScreenShows(int x, int y, COLORREF colour) {
    return WaitFor([&] { return ScreenPixel(x, y) == colour; });
}

constexpr COLORREF kRed = RGB(0xC8, 0x1E, 0x1E);
constexpr COLORREF kBlue = RGB(0x1E, 0x3C, 0xC8);

class DesktopWallpaper : public ::testing::Test {
protected:
    void SetUp() override {
        tile_ = DesktopValue("TileWallpaper");
        style_ = DesktopValue("WallpaperStyle");
        // The user's own wallpaper: the blue picture, stored by the system.
        ASSERT_TRUE(::CopyFileA(Fixture("blue.bmp").c_str(), (folder / "own.bmp").c_str(), FALSE));
        std::string own = folder / "own.bmp";
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, own.data(), SPIF_UPDATEINIFILE | SPIF_SENDWININICHANGE);
        ASSERT_TRUE(ScreenShows(512, 384, kBlue));
        storedPath_ = DesktopValue("Wallpaper");
        const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
        centre_ = {screen.right / 2, screen.bottom / 2};
    }
    void TearDown() override {
        ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(""), SPIF_UPDATEINIFILE);
        SetDesktopValue("TileWallpaper", tile_ == "<none>" ? "0" : tile_.c_str());
        SetDesktopValue("WallpaperStyle", style_ == "<none>" ? "0" : style_.c_str());
    }
    WallpaperTarget Target() { return {nullptr, folder / "Vistaloom.bmp", changes}; }
    WallpaperJob Job(const char* picture, std::int32_t method = 0) {
        WallpaperJob job;
        job.path = Fixture(picture);
        job.displayMethod = method;
        job.change = changes->Order().Request();
        return job;
    }

    TempFolder folder{"wallpaper"};
    std::shared_ptr<WallpaperChanges> changes = std::make_shared<WallpaperChanges>();
    POINT centre_{};
    std::string tile_, style_, storedPath_;
};

TEST_F(DesktopWallpaper, ComposedPictureIsShownCentredOrTiledWithoutBecomingTheUsersOwn) {
    ComposeWallpaper(Job("red.bmp"), Target());
    EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, kRed));
    EXPECT_EQ(ScreenPixel(5, 5), ::GetSysColor(COLOR_BACKGROUND)) << "centred: the corner shows the desktop";
    EXPECT_EQ(DesktopValue("TileWallpaper"), "0");
    EXPECT_EQ(DesktopValue("WallpaperStyle"), "0");
    EXPECT_EQ(DesktopValue("Wallpaper"), storedPath_);

    ComposeWallpaper(Job("red.bmp", 1), Target());
    EXPECT_TRUE(ScreenShows(5, 5, kRed)) << "tiled: the corner shows the picture";
    EXPECT_EQ(DesktopValue("TileWallpaper"), "1");
    EXPECT_EQ(DesktopValue("WallpaperStyle"), "0");

    // Wine shows a stretched wallpaper centred: only the values can be checked.
    ComposeWallpaper(Job("red.bmp", 2), Target());
    EXPECT_EQ(DesktopValue("TileWallpaper"), "0");
    EXPECT_EQ(DesktopValue("WallpaperStyle"), "2");
    ComposeWallpaper(Job("red.bmp", 7), Target());
    EXPECT_EQ(DesktopValue("WallpaperStyle"), "0");
    EXPECT_EQ(DesktopValue("Wallpaper"), storedPath_);
}

// quad.bmp at 50 % and 40 % over the desktop colour, worked out apart from
// the program: each output pixel is the mean of a 2 x 2 square of the
// quadrants (red, green / blue, white; the middle row of squares straddles
// the two halves), rounded half up, then mixed with weight 102/256 of the
// desktop colour, truncated.
TEST_F(DesktopWallpaper, WallpaperBitmapHoldsTheComposedPicture) {
    WallpaperJob job = Job("quad.bmp");
    job.magnification = 50;
    job.transparency = 40;
    ComposeWallpaper(job, Target());
    const std::string file = ReadFileBytes(folder / "Vistaloom.bmp");
    ASSERT_EQ(file.size(), 54u + 20 * 15 * 4);
    const auto quadrant = [](int x, int y) -> std::uint32_t {
        return y < 15 ? (x < 20 ? 0xFF0000 : 0x00FF00) : (x < 20 ? 0x0000FF : 0xFFFFFF);
    };
    const std::uint32_t desktop = PixelValueFromColorRef(::GetSysColor(COLOR_BACKGROUND));
    for (int y = 0; y < 15; ++y) {
        for (int x = 0; x < 20; ++x) {
            std::uint32_t expected = 0;
            for (int shift : {0, 8, 16}) {
                std::uint32_t sum = 0;
                for (int dy : {0, 1})
                    for (int dx : {0, 1}) sum += quadrant(2 * x + dx, 2 * y + dy) >> shift & 0xFF;
                const std::uint32_t mean = (sum + 2) / 4;
                expected |= ((mean * (256 - 102) + (desktop >> shift & 0xFF) * 102) >> 8) << shift;
            }
            std::uint32_t stored = 0;
            std::memcpy(&stored, file.data() + 54 + 4 * ((14 - y) * 20 + x), 4);  // bottom row first
            ASSERT_EQ(stored, expected) << x << "," << y;
        }
    }
}

TEST_F(DesktopWallpaper, EraseShowsTheDesktopColourAndRestoreTheUsersWallpaper) {
    const SavedWallpaperStyle saved = ReadSavedWallpaperStyle();
    ComposeWallpaper(Job("red.bmp", 1), Target());
    ASSERT_TRUE(ScreenShows(centre_.x, centre_.y, kRed));
    EraseWallpaper();
    EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, ::GetSysColor(COLOR_BACKGROUND)));
    EXPECT_EQ(DesktopValue("TileWallpaper"), "1") << "erasing leaves the style values";
    ForgetShownWallpaper();
    RestoreWallpaper(saved);
    EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, kBlue));
    EXPECT_EQ(ReadSavedWallpaperStyle(), saved);
}

// Whatever the user's values are (any length, any type, or not there at
// all) they come back byte for byte; one that could not be read is left alone.
TEST_F(DesktopWallpaper, SavedStyleIsPutBackByteForByte) {
    const HKEY desktop = HKEY_CURRENT_USER;
    constexpr char kKey[] = "Control Panel\\Desktop";
    const DWORD six = 6;
    const std::string longText(40, '7');
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {
        {"Fill", REG_SZ, "10", 3},
        {"a long value", REG_SZ, longText.c_str(), static_cast<DWORD>(longText.size() + 1)},
        {"a number", REG_DWORD, &six, sizeof(six)},
        {"an expandable text", REG_EXPAND_SZ, "22", 3},
        {"absent", REG_NONE, nullptr, 0},
    };
    for (const auto& c : cases) {
        ::RegDeleteKeyValueA(desktop, kKey, "WallpaperStyle");
        if (c.data) {
            ASSERT_EQ(::RegSetKeyValueA(desktop, kKey, "WallpaperStyle", c.type, c.data, c.size), ERROR_SUCCESS);
        }
        SetDesktopValue("TileWallpaper", "1");
        const SavedWallpaperStyle saved = ReadSavedWallpaperStyle();
        EXPECT_EQ(saved.wallpaperStyle.state,
                  c.data ? SavedRegistryValue::State::Present : SavedRegistryValue::State::Absent)
            << c.name;
        SetDesktopValue("TileWallpaper", "0");
        SetDesktopValue("WallpaperStyle", "2");
        EXPECT_TRUE(RestoreWallpaper(saved)) << c.name;
        EXPECT_EQ(ReadSavedWallpaperStyle(), saved) << c.name;
        EXPECT_EQ(DesktopValue("TileWallpaper"), "1") << c.name;
    }
    SavedWallpaperStyle unread;
    unread.wallpaperStyle = ReadSavedWallpaperStyle().wallpaperStyle;
    SetDesktopValue("TileWallpaper", "7");
    EXPECT_TRUE(RestoreWallpaper(unread));
    EXPECT_EQ(DesktopValue("TileWallpaper"), "7") << "a value that could not be read is not touched";
}

TEST_F(DesktopWallpaper, AMissingPictureOrAnOverlongPathChangesNothing) {
    ComposeWallpaper(Job("no-such-picture.bmp"), Target());
    EXPECT_FALSE(FileExists(folder / "Vistaloom.bmp"));
    SetDesktopValue("TileWallpaper", "1");
    EXPECT_FALSE(ApplyWallpaper("C:\\" + std::string(300, 'x') + ".bmp", 0, false));
    EXPECT_EQ(DesktopValue("TileWallpaper"), "1");
    EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, kBlue));
}

// Workers are not joined and finish in any order: a change asked for before
// one already shown must leave the screen, the registry and the bitmap alone.
TEST_F(DesktopWallpaper, AnOlderChangeNeverReplacesANewerOne) {
    const WallpaperJob older = Job("red.bmp", 1);
    const WallpaperJob newer = Job("blue.bmp");
    ComposeWallpaper(newer, Target());
    ASSERT_TRUE(ScreenShows(centre_.x, centre_.y, kBlue));
    const std::string shown = ReadFileBytes(folder / "Vistaloom.bmp");
    ComposeWallpaper(older, Target());
    EXPECT_EQ(ReadFileBytes(folder / "Vistaloom.bmp"), shown) << "the older worker wrote the bitmap";
    EXPECT_EQ(DesktopValue("TileWallpaper"), "0") << "the older worker applied its display method";
}

TEST_F(DesktopWallpaper, EraseRestoreAndTheBossKeyOvertakeWorkersStillComposing) {
    const WallpaperJob beforeErase = Job("red.bmp");
    changes->ShowNow(changes->Order().Request(), [] { EraseWallpaper(); });
    ASSERT_TRUE(ScreenShows(centre_.x, centre_.y, ::GetSysColor(COLOR_BACKGROUND)));
    ComposeWallpaper(beforeErase, Target());
    EXPECT_FALSE(FileExists(folder / "Vistaloom.bmp")) << "a picture asked for before the erase came back";

    const WallpaperJob beforeBoss = Job("red.bmp");
    WallpaperJob boss = Job("blue.bmp");
    boss.change = changes->Order().RequestOverriding();
    ComposeWallpaper(beforeBoss, Target());
    EXPECT_FALSE(FileExists(folder / "Vistaloom.bmp")) << "a rotation picture may not show before the boss picture";
    ComposeWallpaper(boss, Target());
    EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, kBlue));

    const WallpaperJob late = Job("red.bmp", 1);
    ForgetShownWallpaper();
    changes->Finish([] { ReloadRegistryWallpaper(); });
    ComposeWallpaper(late, Target());
    ComposeWallpaper(Job("red.bmp", 1), Target());
    EXPECT_NE(DesktopValue("TileWallpaper"), "1") << "a worker showed its picture after the final restore";
}

// The worker takes the label option with its job: the settings it was
// asked from may be gone (the program ending) by the time it shows.
TEST_F(DesktopWallpaper, TheLabelBackgroundAfterAShowComesWithTheJob) {
    FakeShell shell;
    ASSERT_TRUE(shell.Ready());
    WallpaperJob job = Job("red.bmp");
    job.transparentLabels = true;
    ComposeWallpaper(job, Target());
    EXPECT_EQ(static_cast<COLORREF>(shell.Ask(fake_shell::kTextBkColor)), CLR_NONE);
    job = Job("blue.bmp");
    ComposeWallpaper(job, Target());
    EXPECT_EQ(static_cast<COLORREF>(shell.Ask(fake_shell::kTextBkColor)), ::GetSysColor(COLOR_BACKGROUND));
}

// A worker waits for the change event before anything else. A second worker
// that does not wait, started after it with the same work, finishes first:
// by then the first has had every chance to compose.
TEST_F(DesktopWallpaper, ChangeEventHoldsAWorkerBackUntilItIsSet) {
    fw::UniqueHandle event(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    WallpaperTarget held = Target();
    held.changeEvent = event.Get();
    const WallpaperJob heldJob = Job("red.bmp");
    std::thread heldWorker([&] { ComposeWallpaper(heldJob, held); });
    TempFolder other("unheld");
    const WallpaperTarget free{nullptr, other / "Vistaloom.bmp", std::make_shared<WallpaperChanges>()};
    std::thread freeWorker([&] { ComposeWallpaper(Job("blue.bmp"), free); });
    freeWorker.join();
    ASSERT_TRUE(FileExists(other / "Vistaloom.bmp"));
    EXPECT_FALSE(FileExists(folder / "Vistaloom.bmp")) << "composed while held back";
    ::SetEvent(event.Get());
    heldWorker.join();
    EXPECT_TRUE(FileExists(folder / "Vistaloom.bmp"));
    EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, kRed));
}

TEST_F(DesktopWallpaper, TwoWorkersAtOnceLeaveOneWholePicture) {
    for (int round = 0; round < 5; ++round) {
        std::thread first([&] { ComposeWallpaper(Job("red.bmp"), Target()); });
        std::thread second([&] { ComposeWallpaper(Job("blue.bmp"), Target()); });
        first.join();
        second.join();
        // One whole picture: every pixel the red one's or every pixel the blue one's.
        const std::string bytes = ReadFileBytes(folder / "Vistaloom.bmp");
        ASSERT_EQ(bytes.size(), 54u + 200 * 150 * 4) << "round " << round;
        const auto all = [&](std::uint32_t pixel) {
            for (std::size_t at = 54; at < bytes.size(); at += 4) {
                std::uint32_t stored = 0;
                std::memcpy(&stored, bytes.data() + at, 4);
                if (stored != pixel) return false;
            }
            return true;
        };
        const bool red = all(0x00C81E1E);
        ASSERT_TRUE(red || all(0x001E3CC8)) << "round " << round;
        EXPECT_TRUE(ScreenShows(centre_.x, centre_.y, red ? kRed : kBlue)) << "round " << round;
    }
}

}  // namespace
