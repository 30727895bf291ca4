// PNG pictures of 2-bit images in host greys (255 - 85 x level), one grey
// byte per pixel.
#pragma once

#include "graphics/Zeb.h"

// Writes the frame buffer (640 x 240); false when it is not open or the file
// cannot be written.
bool ZebPng_Write(const char* path);
// Writes any 2-bit image.
bool ZebPng_WriteBitmap(const char* path, const ZebBitmap& image);
