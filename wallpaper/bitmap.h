// 32-bit bottom-up bitmaps: blue in bits 0-7, green 8-15, red 16-23, the
// fourth byte in 24-31; the first row in memory is the bottom row of the
// picture. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

using PixelValue = std::uint32_t;

struct BitmapSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool operator==(const BitmapSize&) const = default;
};

// A rectangle of pixels: its top-left corner, counted from the top, and its size.
struct PixelRect {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    BitmapSize Size() const { return {width, height}; }
    bool operator==(const PixelRect&) const = default;
};

// Sizes beyond these are refused rather than wrapped or allowed to exhaust
// memory: 32,768 pixels a side and 1 GiB of pixel data.
inline constexpr std::int64_t kMaxBitmapSide = 32768;
inline constexpr std::int64_t kMaxBitmapBytes = std::int64_t{1} << 30;
bool IsBitmapSizeAllowed(BitmapSize size);

class Bitmap {
public:
    // Pixels on the heap, not initialised; nothing when the size is refused
    // or memory runs out.
    static std::optional<Bitmap> Allocate(BitmapSize size);
    // Pixels owned elsewhere (a DIB section): `release` frees them.
    Bitmap(std::uint32_t* pixels, int width, int height, std::function<void()> release);

    Bitmap(Bitmap&& other) noexcept;
    Bitmap& operator=(Bitmap&& other) noexcept;
    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap();

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::size_t Stride() const { return static_cast<std::size_t>(width_) * 4; }
    std::size_t PixelCount() const { return static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_); }
    std::uint32_t* Pixels() { return pixels_; }
    const std::uint32_t* Pixels() const { return pixels_; }
    // Row `y` counted from the top of the picture, as GDI counts.
    std::uint32_t* RowFromTop(int y) { return pixels_ + static_cast<std::size_t>(height_ - 1 - y) * width_; }
    const std::uint32_t* RowFromTop(int y) const {
        return pixels_ + static_cast<std::size_t>(height_ - 1 - y) * width_;
    }

private:
    void Free();

    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    std::function<void()> release_;
};

// Rows of pixels as a decoder or a bitmap holds them, top row first: 4-byte
// pixels laid out as above, or 3-byte ones (blue, green, red) that count as
// opaque, with a fourth byte of 0xFF.
struct PixelRows {
    const std::uint8_t* top = nullptr;  // the top row's first byte
    std::ptrdiff_t stride = 0;          // from one row to the one below it: negative for a bottom-up bitmap
    int width = 0;
    int height = 0;
    int bytesPerPixel = 4;

    const std::uint8_t* Row(int y) const { return top + y * stride; }
    PixelValue At(int x, int y) const;
};

PixelRows RowsOf(const Bitmap& bitmap);

// A decoded picture: a 32-bit bitmap, or the packed 3-byte rows a decoder
// gave, kept as they are so that the composition reads them once, straight
// into the wallpaper's own pixels.
class Picture {
public:
    explicit Picture(Bitmap bitmap);
    // Nothing when the size is refused or memory runs out.
    static std::optional<Picture> AllocateRgb(int width, int height);
    // The same with its rows bottom-up in room for the 32-bit bitmap of its
    // size, which they can then be widened into where they lie (TakeRoom):
    // a picture shown at its decoded size then takes one block of memory,
    // not two, and fresh pages, slow to touch the first time, half as many.
    static std::optional<Picture> AllocateRgbInRoom(int width, int height);

    int Width() const { return rows_.width; }
    int Height() const { return rows_.height; }
    const PixelRows& Rows() const { return rows_; }
    // The first byte of the top row of the 3-byte rows, Rows().stride
    // apart, for a decoder to fill.
    std::uint8_t* RgbTop() { return rgbTop_; }
    bool HasRoom() const { return room_ != nullptr; }
    // The room of a picture made by AllocateRgbInRoom, its 3-byte rows in
    // it: memory row r of either size holds the same row of the picture.
    // The picture is left empty.
    std::unique_ptr<std::uint32_t[]> TakeRoom();
    // The 32-bit bitmap, when the picture is one: the composition may then
    // work in place.
    std::optional<Bitmap>& AsBitmap() { return bitmap_; }

    // A picture decoded at 1/reduction of its own size: pixel i of a side
    // stands for pixels [reduction * i, reduction * (i + 1)) of the full
    // side, cut at its end. Its own size is the full size otherwise.
    void MarkReduced(BitmapSize full, int reduction);
    BitmapSize FullSize() const { return full_; }
    int Reduction() const { return reduction_; }

private:
    Picture() = default;

    std::optional<Bitmap> bitmap_;
    std::unique_ptr<std::uint8_t[]> rgb_;
    std::unique_ptr<std::uint32_t[]> room_;
    std::uint8_t* rgbTop_ = nullptr;
    PixelRows rows_;
    BitmapSize full_;
    int reduction_ = 1;
};
