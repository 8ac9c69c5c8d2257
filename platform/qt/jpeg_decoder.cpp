// JPEG decoding through libjpeg. The library's own error handler ends the
// process; ours jumps back and the picture counts as missing.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "platform/qt/bitmap.h"
#include "platform/qt/picture_file.h"
#include "platform/sysutils.h"

namespace {

// Pictures larger than this (in pixels) are refused rather than decoded.
constexpr long kMaxPixels = 64L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) {
    auto* err = reinterpret_cast<ErrorManager*>(info->err);
    std::longjmp(err->jump, 1);
}

// Warnings that leave the picture whole: stray bytes between markers
// (common in files from some cameras and editors), an unknown JFIF
// revision, an unknown Adobe colour code, a bad ICC profile.
bool HarmlessWarning(int code) {
    return code == JWRN_EXTRANEOUS_DATA || code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM ||
           code == JWRN_BOGUS_ICC;
}

// Any other warning (level -1) means damaged image data, such as a file cut
// short that the library would pad with grey: such a picture counts as
// missing too.
void OnEmit(j_common_ptr info, int level) {
    if (level < 0 && !HarmlessWarning(info->err->msg_code)) OnError(info);
}

void OnMessage(j_common_ptr) {}

struct FileCloser {
    std::FILE* f;
    ~FileCloser() {
        if (f) std::fclose(f);
    }
};

// CMYK JPEGs from Adobe programs store inverted values.
std::uint32_t CmykToPixel(const JSAMPLE* p, bool inverted) {
    int c = p[0], m = p[1], y = p[2], k = p[3];
    if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        y = 255 - y;
        k = 255 - k;
    }
    const unsigned r = static_cast<unsigned>(c * k / 255);
    const unsigned g = static_cast<unsigned>(m * k / 255);
    const unsigned b = static_cast<unsigned>(y * k / 255);
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

// Decodes into pixels (0xAARRGGBB rows); false on any error. Kept free of
// C++ objects with destructors between setjmp and the jumps.
bool Decode(std::FILE* file, std::vector<std::uint32_t>& pixels, int& width, int& height) {
    jpeg_decompress_struct info;
    ErrorManager err;
    info.err = jpeg_std_error(&err.base);
    err.base.error_exit = OnError;
    err.base.output_message = OnMessage;
    err.base.emit_message = OnEmit;
    std::vector<JSAMPLE>* row = new std::vector<JSAMPLE>();
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&info);
        delete row;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    width = static_cast<int>(info.output_width);
    height = static_cast<int>(info.output_height);
    if (width <= 0 || height <= 0 || static_cast<long>(width) * height > kMaxPixels ||
        width > 32767 || height > 32767) {
        jpeg_destroy_decompress(&info);
        delete row;
        return false;
    }
    pixels.assign(static_cast<std::size_t>(width) * height, 0xFFFFFFFFu);
    row->resize(static_cast<std::size_t>(width) * info.output_components);
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        JSAMPROW rows[1] = {row->data()};
        jpeg_read_scanlines(&info, rows, 1);
        std::uint32_t* out = pixels.data() + static_cast<std::size_t>(y) * width;
        if (cmyk) {
            for (int x = 0; x < width; ++x) out[x] = CmykToPixel(row->data() + x * 4, inverted);
        } else {
            std::memcpy(out, row->data(), static_cast<std::size_t>(width) * 4);
            for (int x = 0; x < width; ++x) out[x] |= 0xFF000000u;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    delete row;
    return true;
}

}  // namespace

bool DecodeJpegFile(const std::string& fileName, TBitmap& bitmap) {
    FileCloser file{std::fopen(OsFileName(fileName).c_str(), "rb")};
    if (!file.f) return false;
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    if (!Decode(file.f, pixels, width, height)) return false;
    bitmap.SetSize(width, height);
    if (bitmap.Width() != width || bitmap.Height() != height) return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(bitmap.ScanLine(y), pixels.data() + static_cast<std::size_t>(y) * width,
                    static_cast<std::size_t>(width) * 4);
    return true;
}
