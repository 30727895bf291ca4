// PNG pictures of 2-bit images in host greys (255 - 85 x level), one grey
// byte per pixel.
#pragma once

#include <cstddef>
#include <cstdint>

#include "graphics/Zeb.h"

// Writes the frame buffer (640 x 240); false when it is not open or the file
// cannot be written.
bool ZebPng_Write(const char* path);
// Writes any 2-bit image.
bool ZebPng_WriteBitmap(const char* path, const ZebBitmap& image);

// The background around a picture's own shape: the pixels of `level` that
// reach the image's edge through pixels of that level. outside holds
// width x height flags, row by row; false when it cannot be worked out.
bool ZebPng_Outside(const ZebBitmap& image, int level, std::uint8_t* outside, std::size_t size);
// Writes an icon: grey and alpha, transparent outside its shape (the
// background of `level` around it).
bool ZebPng_WriteIcon(const char* path, const ZebBitmap& image, int level);
