#include "wallpaper/bitmap.h"

#include <new>
#include <utility>

bool IsBitmapSizeAllowed(BitmapSize size) {
    return size.width > 0 && size.height > 0 && size.width <= kMaxBitmapSide && size.height <= kMaxBitmapSide &&
           size.width * size.height * 4 <= kMaxBitmapBytes;
}

std::optional<Bitmap> Bitmap::Allocate(BitmapSize size) {
    if (!IsBitmapSizeAllowed(size)) return std::nullopt;
    auto* pixels = new (std::nothrow) std::uint32_t[static_cast<std::size_t>(size.width * size.height)];
    if (!pixels) return std::nullopt;
    return Bitmap(pixels, static_cast<int>(size.width), static_cast<int>(size.height), [pixels] { delete[] pixels; });
}

Bitmap::Bitmap(std::uint32_t* pixels, int width, int height, std::function<void()> release)
    : pixels_(pixels), width_(width), height_(height), release_(std::move(release)) {}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : pixels_(std::exchange(other.pixels_, nullptr)),
      width_(std::exchange(other.width_, 0)),
      height_(std::exchange(other.height_, 0)),
      release_(std::exchange(other.release_, nullptr)) {}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        Free();
        pixels_ = std::exchange(other.pixels_, nullptr);
        width_ = std::exchange(other.width_, 0);
        height_ = std::exchange(other.height_, 0);
        release_ = std::exchange(other.release_, nullptr);
    }
    return *this;
}

Bitmap::~Bitmap() { Free(); }

void Bitmap::Free() {
    if (release_) release_();
    release_ = nullptr;
    pixels_ = nullptr;
}

PixelValue PixelRows::At(int x, int y) const {
    const std::uint8_t* p = Row(y) + static_cast<std::ptrdiff_t>(x) * bytesPerPixel;
    const PixelValue fourth = bytesPerPixel == 4 ? PixelValue{p[3]} : 0xFFu;
    return fourth << 24 | PixelValue{p[2]} << 16 | PixelValue{p[1]} << 8 | p[0];
}

PixelRows RowsOf(const Bitmap& bitmap) {
    return {reinterpret_cast<const std::uint8_t*>(bitmap.RowFromTop(0)), -static_cast<std::ptrdiff_t>(bitmap.Stride()),
            bitmap.Width(), bitmap.Height(), 4};
}

Picture::Picture(Bitmap bitmap)
    : bitmap_(std::move(bitmap)), rows_(RowsOf(*bitmap_)), full_{rows_.width, rows_.height} {}

std::optional<Picture> Picture::AllocateRgb(int width, int height) {
    if (!IsBitmapSizeAllowed({width, height})) return std::nullopt;
    Picture picture;
    picture.rgb_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width) * height * 3]);
    if (!picture.rgb_) return std::nullopt;
    picture.rgbTop_ = picture.rgb_.get();
    picture.rows_ = {picture.rgbTop_, static_cast<std::ptrdiff_t>(width) * 3, width, height, 3};
    picture.full_ = {width, height};
    return picture;
}

std::optional<Picture> Picture::AllocateRgbInRoom(int width, int height) {
    if (!IsBitmapSizeAllowed({width, height})) return std::nullopt;
    Picture picture;
    picture.room_.reset(new (std::nothrow) std::uint32_t[static_cast<std::size_t>(width) * height]);
    if (!picture.room_) return std::nullopt;
    const auto stride = static_cast<std::ptrdiff_t>(width) * 3;
    picture.rgbTop_ = reinterpret_cast<std::uint8_t*>(picture.room_.get()) + (height - 1) * stride;
    picture.rows_ = {picture.rgbTop_, -stride, width, height, 3};
    picture.full_ = {width, height};
    return picture;
}

std::unique_ptr<std::uint32_t[]> Picture::TakeRoom() {
    if (!room_) return nullptr;
    rgbTop_ = nullptr;
    rows_ = {};
    return std::move(room_);
}

void Picture::MarkReduced(BitmapSize full, int reduction) {
    full_ = full;
    reduction_ = reduction;
}
