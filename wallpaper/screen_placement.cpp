#include "wallpaper/screen_placement.h"

#include <algorithm>

#include "wallpaper/bitmap_ops.h"

namespace {

// side * to / from, rounded half up, kept within 1..limit.
std::int64_t Rescaled(std::int64_t side, std::int64_t to, std::int64_t from, std::int64_t limit) {
    return std::clamp((2 * side * to + from) / (2 * from), std::int64_t{1}, limit);
}

// `inner` centred in `outer`, the odd pixel left over on the right and below.
PixelRect Centred(BitmapSize inner, BitmapSize outer) {
    return {(outer.width - inner.width) / 2, (outer.height - inner.height) / 2, inner.width, inner.height};
}

}  // namespace

ScreenPlacement PlaceOnScreen(DisplayMethod method, BitmapSize picture, BitmapSize screen) {
    const BitmapSize& p = picture;
    const BitmapSize& s = screen;
    // Compared as cross products: is the screen wider for its height than the picture?
    const bool screenWider = s.width * p.height >= s.height * p.width;
    if (method == DisplayMethod::Fill) {
        // The picture's width (or height) spans the screen's; of the other
        // side only what the screen's shape takes is shown.
        const BitmapSize shown = screenWider
                                     ? BitmapSize{p.width, Rescaled(s.height, p.width, s.width, p.height)}
                                     : BitmapSize{Rescaled(s.width, p.height, s.height, p.width), p.height};
        return {Centred(shown, p), {0, 0, s.width, s.height}, s};
    }
    const BitmapSize fitted = screenWider
                                  ? BitmapSize{Rescaled(p.width, s.height, p.height, s.width), s.height}
                                  : BitmapSize{s.width, Rescaled(p.height, s.width, p.width, s.height)};
    return {{0, 0, p.width, p.height}, Centred(fitted, s), s};
}

MonitorPlacement PlaceOnMonitor(std::int32_t displayMethod, std::uint32_t magnification, BitmapSize picture,
                                BitmapSize monitor) {
    const PixelRect whole{0, 0, picture.width, picture.height};
    const PixelRect all{0, 0, monitor.width, monitor.height};
    if (IsShownAtScreenSize(displayMethod)) {
        const ScreenPlacement placement = PlaceOnScreen(static_cast<DisplayMethod>(displayMethod), picture, monitor);
        const BitmapSize size = placement.target.Size();
        return {placement.source, size, {0, 0, size.width, size.height}, placement.target};
    }
    if (displayMethod == static_cast<std::int32_t>(DisplayMethod::Enlarge)) return {whole, monitor, all, all};
    const BitmapSize scaled = ScaledSize(picture.width, picture.height, magnification);
    const BitmapSize cut{std::min(scaled.width, monitor.width), std::min(scaled.height, monitor.height)};
    if (displayMethod == static_cast<std::int32_t>(DisplayMethod::Tile)) {
        return {whole, scaled, {0, 0, cut.width, cut.height}, {0, 0, cut.width, cut.height}, true};
    }
    // Centred both ways: a picture larger than the monitor shows its centre.
    const PixelRect shown = Centred(cut, scaled);
    const PixelRect target = Centred(cut, monitor);
    return {whole, scaled, shown, target};
}
