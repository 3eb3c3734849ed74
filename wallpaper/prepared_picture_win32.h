// The boss picture composed ahead of the key, in the background, so that
// the key only writes and shows it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "wallpaper/bitmap.h"

class PreparedPicture {
public:
    // Composes the picture in the file, centred at its own size and
    // unblended, on a thread of its own; a later call supersedes an earlier
    // one still composing, and an empty path only forgets the last.
    // Shared with that thread, which may outlive the window that asked.
    static void Prepare(const std::shared_ptr<PreparedPicture>& self, const std::string& path, PixelValue background);

    // The composed bitmap when it is that file's as `found` describes it
    // now (not changed since) over that colour; nothing otherwise, and then
    // the picture is composed at the key as any other.
    std::shared_ptr<const Bitmap> Take(const std::string& path, const WIN32_FIND_DATAW& found,
                                       PixelValue background) const;

private:
    struct Source {
        std::string path;
        FILETIME written{};
        ULONGLONG size = 0;
        PixelValue background = 0;
        bool operator==(const Source& other) const;
    };

    mutable std::mutex lock_;
    std::uint64_t generation_ = 0;  // the newest Prepare; an older thread's result is dropped
    Source source_;
    std::shared_ptr<const Bitmap> bitmap_;
};
