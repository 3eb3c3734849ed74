// Which decoder a picture file goes to, by its first bytes.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

// True for the formats the OLE picture loader was made for: BMP, GIF,
// JPEG, icons and metafiles. Everything else goes to the Windows Imaging
// Component directly: some loaders misread bytes they do not know instead
// of refusing them, and a decoder fault would end the whole program.
bool IsOlePictureFormat(const std::uint8_t* bytes, std::size_t length);

// JPEG, by its start-of-image marker: decoded by the Windows Imaging
// Component straight to 3-byte rows, which is what the OLE loader does on
// the way to its own bitmap.
bool IsJpeg(const std::uint8_t* bytes, std::size_t length);
