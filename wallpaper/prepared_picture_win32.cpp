#include "wallpaper/prepared_picture_win32.h"

#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "wallpaper/picture_file_win32.h"
#include "wallpaper/compose.h"

namespace {

// Larger pictures are composed when the key comes, not kept for it: 64 MiB.
constexpr std::int64_t kLargestKeptPixels = std::int64_t{1} << 24;

struct Work {
    std::shared_ptr<PreparedPicture> self;
    std::uint64_t generation;
};

}  // namespace

bool PreparedPicture::Source::operator==(const Source& other) const {
    return path == other.path && ::CompareFileTime(&written, &other.written) == 0 && size == other.size &&
           background == other.background;
}

void PreparedPicture::Prepare(const std::shared_ptr<PreparedPicture>& self, const std::string& path,
                              PixelValue background) {
    Source source;
    source.path = path;
    source.background = background;
    WIN32_FIND_DATAW found{};
    const fw::UniqueFind exists(path.empty() ? INVALID_HANDLE_VALUE : ::FindFirstFileW(fw::Wide(path).c_str(), &found));
    std::uint64_t generation = 0;
    {
        const std::lock_guard guard(self->lock_);
        generation = ++self->generation_;
        self->bitmap_.reset();
        if (!exists || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        source.written = found.ftLastWriteTime;
        source.size = ULONGLONG{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
        self->source_ = source;
    }
    auto work = std::make_unique<Work>(Work{self, generation});
    const HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](LPVOID parameter) noexcept -> DWORD {
            const std::unique_ptr<Work> work(static_cast<Work*>(parameter));
            // Nothing may leave the thread; a picture that fails is composed at the key.
            try {
                PreparedPicture& prepared = *work->self;
                Source source;
                {
                    const std::lock_guard guard(prepared.lock_);
                    if (prepared.generation_ != work->generation) return 0;
                    source = prepared.source_;
                }
                // Decoded as the key would decode it, at its own size.
                auto picture = LoadPictureFile(source.path, JpegReductionAt(100));
                if (!picture || picture->FullSize().width * picture->FullSize().height > kLargestKeptPixels) return 0;
                auto bitmap = ComposeWallpaperBitmap(std::move(*picture), 100, 0, source.background);
                if (!bitmap) return 0;
                const std::lock_guard guard(prepared.lock_);
                if (prepared.generation_ == work->generation) {
                    prepared.bitmap_ = std::make_shared<const Bitmap>(std::move(*bitmap));
                }
            } catch (...) {
            }
            return 0;
        },
        work.get(), 0, nullptr);
    if (!thread) return;
    work.release();  // the thread owns it now
    ::CloseHandle(thread);
}

std::shared_ptr<const Bitmap> PreparedPicture::Take(const std::string& path, const WIN32_FIND_DATAW& found,
                                                    PixelValue background) const {
    Source now;
    now.path = path;
    now.written = found.ftLastWriteTime;
    now.size = ULONGLONG{found.nFileSizeHigh} << 32 | found.nFileSizeLow;
    now.background = background;
    const std::lock_guard guard(lock_);
    return bitmap_ && source_ == now ? bitmap_ : nullptr;
}
