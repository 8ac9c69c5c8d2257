// Picture files for report templates: JPEG through libjpeg, BMP through the
// bitmap. A damaged or unreadable file gives false and never ends the
// process.
#pragma once
#include <string>

class TBitmap;

// Decodes a JPEG file (CP932 name) into the bitmap (resized to the picture).
// False, with the bitmap untouched, when the file is missing or damaged.
bool DecodeJpegFile(const std::string& fileName, TBitmap& bitmap);
