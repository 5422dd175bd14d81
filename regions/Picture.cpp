#include "regions/Picture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/Errors.h"

#include <jerror.h>
#include <jpeglib.h>

namespace nl {

namespace {

// libjpeg reports fatal errors through error_exit, which must not return: it jumps back to the
// call that started the work. Only plain data lives across the jump.
struct TJpegError {
    jpeg_error_mgr Mgr;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->Message);
    std::longjmp(err->Jump, 1);
}
// Warnings (extraneous bytes, a corrupt stretch that is filled in) are common in real files and
// leave a usable picture: they are not printed.
void OutputMessage(j_common_ptr) {}

void InitError(TJpegError& e, jpeg_common_struct& c) {
    c.err = jpeg_std_error(&e.Mgr);
    e.Mgr.error_exit = ErrorExit;
    e.Mgr.output_message = OutputMessage;
    e.Message[0] = 0;
}

bool LooksLikeJpeg(std::span<const uint8_t> b) {
    return b.size() >= 4 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF;
}

// The decode proper; returns false with the library's message on a fatal error. The output
// vector is sized before any jump can skip a destructor (it lives in the caller).
bool DecodeInto(std::span<const uint8_t> jpeg, int32_t maxSide, int64_t maxPixels, bool headerOnly,
                TRasterImage& out, std::vector<uint8_t>& row, std::string& error) {
    jpeg_decompress_struct cinfo;
    TJpegError err;
    InitError(err, *reinterpret_cast<jpeg_common_struct*>(&cinfo));
    if (setjmp(err.Jump)) {
        jpeg_destroy_decompress(&cinfo);
        error = err.Message;
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    out.Width = static_cast<int32_t>(cinfo.image_width);
    out.Height = static_cast<int32_t>(cinfo.image_height);
    if (headerOnly) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    if (static_cast<int64_t>(cinfo.image_width) * cinfo.image_height > maxPixels) {
        jpeg_destroy_decompress(&cinfo);
        error = "the picture is too large";
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK)
        cinfo.out_color_space = JCS_CMYK;
    if (maxSide > 0) {
        const uint32_t longer = std::max(cinfo.image_width, cinfo.image_height);
        unsigned denom = 1;
        while (denom < 8 && longer / (denom * 2) >= static_cast<uint32_t>(maxSide))
            denom *= 2;
        cinfo.scale_num = 1;
        cinfo.scale_denom = denom;
    }
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    const int comps = cinfo.output_components;
    out.Width = static_cast<int32_t>(cinfo.output_width);
    out.Height = static_cast<int32_t>(cinfo.output_height);
    out.Argb.assign(static_cast<size_t>(out.Width) * static_cast<size_t>(out.Height), 0xFF000000u);
    row.resize(static_cast<size_t>(out.Width) * static_cast<size_t>(comps));
    while (cinfo.output_scanline < cinfo.output_height) {
        const size_t y = cinfo.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) break;
        uint32_t* dst = out.Argb.data() + y * static_cast<size_t>(out.Width);
        const uint8_t* s = row.data();
        for (int32_t x = 0; x < out.Width; ++x, s += comps) {
            uint32_t r, g, b;
            if (comps == 1) {
                r = g = b = s[0];
            } else if (comps == 4) {
                // Adobe CMYK JPEGs store inverted values.
                const uint32_t k = s[3];
                r = s[0] * k / 255;
                g = s[1] * k / 255;
                b = s[2] * k / 255;
            } else {
                r = s[0];
                g = s[1];
                b = s[2];
            }
            dst[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
        }
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

bool EncodeInto(const TRasterImage& image, int quality, std::vector<uint8_t>& row, unsigned char*& buffer,
                unsigned long& size, std::string& error) {
    jpeg_compress_struct cinfo;
    TJpegError err;
    InitError(err, *reinterpret_cast<jpeg_common_struct*>(&cinfo));
    if (setjmp(err.Jump)) {
        jpeg_destroy_compress(&cinfo);
        error = err.Message;
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.Width);
    cinfo.image_height = static_cast<JDIMENSION>(image.Height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    row.resize(static_cast<size_t>(image.Width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint32_t* src = image.Argb.data() + static_cast<size_t>(cinfo.next_scanline) * image.Width;
        for (int32_t x = 0; x < image.Width; ++x) {
            row[x * 3 + 0] = static_cast<uint8_t>(src[x] >> 16);
            row[x * 3 + 1] = static_cast<uint8_t>(src[x] >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(src[x]);
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

void JpegSize(std::span<const uint8_t> jpeg, int32_t& width, int32_t& height) {
    if (!LooksLikeJpeg(jpeg)) throw TReadError("the picture data is not a JPEG image");
    TRasterImage out;
    std::vector<uint8_t> row;
    std::string error;
    if (!DecodeInto(jpeg, 0, kMaxPicturePixels, true, out, row, error))
        throw TReadError("the picture data is not a readable JPEG image (" + error + ")");
    width = out.Width;
    height = out.Height;
}

TRasterImage DecodeJpeg(std::span<const uint8_t> jpeg, int32_t maxSide, int64_t maxPixels) {
    if (!LooksLikeJpeg(jpeg)) throw TReadError("the picture data is not a JPEG image");
    TRasterImage out;
    std::vector<uint8_t> row;
    std::string error;
    if (!DecodeInto(jpeg, maxSide, maxPixels, false, out, row, error))
        throw TReadError("the picture data is not a readable JPEG image (" + error + ")");
    if (out.Empty()) throw TReadError("the picture has no pixels");
    return out;
}

std::vector<uint8_t> EncodeJpeg(const TRasterImage& image, int quality) {
    if (image.Empty() ||
        image.Argb.size() < static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height))
        throw TReadError("there is no picture to compress");
    std::vector<uint8_t> row;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::string error;
    const bool ok = EncodeInto(image, quality, row, buffer, size, error);
    std::vector<uint8_t> bytes;
    if (ok && buffer) bytes.assign(buffer, buffer + size);
    std::free(buffer);
    if (!ok) throw TReadError("the picture could not be compressed (" + error + ")");
    return bytes;
}

TRasterImage DecodeBmp(std::span<const uint8_t> b) {
    auto u16 = [&](size_t at) -> uint32_t { return b[at] | (b[at + 1] << 8); };
    auto u32 = [&](size_t at) -> uint32_t {
        return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
    };
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') throw TReadError("the file is not a Windows bitmap");
    const uint32_t dataAt = u32(10);
    const uint32_t headerSize = u32(14);
    if (headerSize < 40 || 14 + static_cast<size_t>(headerSize) > b.size())
        throw TReadError("the bitmap header is not supported");
    const int32_t w = static_cast<int32_t>(u32(18));
    const int32_t hRaw = static_cast<int32_t>(u32(22));
    const uint32_t bits = u16(28);
    const uint32_t compression = u32(30);
    if (w <= 0 || hRaw == 0 || hRaw == INT32_MIN) throw TReadError("the bitmap has no pixels");
    const bool topDown = hRaw < 0;
    const int32_t h = topDown ? -hRaw : hRaw;
    if (static_cast<int64_t>(w) * h > kMaxPicturePixels) throw TReadError("the bitmap is too large");
    if (!(bits == 24 || bits == 32 || bits == 8) || !(compression == 0 || (compression == 3 && bits == 32)))
        throw TReadError("only uncompressed 8, 24 and 32-bit bitmaps can be read");
    const size_t stride = ((static_cast<size_t>(w) * bits + 31) / 32) * 4;
    if (dataAt > b.size() || stride * static_cast<size_t>(h) > b.size() - dataAt)
        throw TReadError("the bitmap's pixel data is cut short");
    std::vector<uint32_t> palette;
    if (bits == 8) {
        uint32_t colours = u32(46);
        if (colours == 0 || colours > 256) colours = 256;
        const size_t at = 14 + headerSize;
        if (at + colours * 4 > dataAt) throw TReadError("the bitmap's palette is cut short");
        for (uint32_t i = 0; i < colours; ++i)
            palette.push_back(0xFF000000u | (u32(at + i * 4) & 0xFFFFFF));
        palette.resize(256, 0xFF000000u);
    }
    TRasterImage out;
    out.Width = w;
    out.Height = h;
    out.Argb.resize(static_cast<size_t>(w) * h);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* src = b.data() + dataAt + stride * static_cast<size_t>(topDown ? y : h - 1 - y);
        uint32_t* dst = out.Argb.data() + static_cast<size_t>(y) * w;
        for (int32_t x = 0; x < w; ++x) {
            if (bits == 8) {
                dst[x] = palette[src[x]];
            } else {
                const uint8_t* p = src + x * (bits / 8);
                dst[x] = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            }
        }
    }
    return out;
}

TRasterImage Rotated90(const TRasterImage& im) {
    TRasterImage out;
    out.Width = im.Height;
    out.Height = im.Width;
    out.Argb.resize(im.Argb.size());
    for (int32_t y = 0; y < im.Height; ++y)
        for (int32_t x = 0; x < im.Width; ++x)
            out.Argb[static_cast<size_t>(x) * out.Width + (out.Width - 1 - y)] =
                im.Argb[static_cast<size_t>(y) * im.Width + x];
    return out;
}

TRasterImage MirroredH(const TRasterImage& im) {
    TRasterImage out = im;
    for (int32_t y = 0; y < im.Height; ++y) {
        auto row = out.Argb.begin() + static_cast<ptrdiff_t>(y) * im.Width;
        std::reverse(row, row + im.Width);
    }
    return out;
}

TRasterImage MirroredV(const TRasterImage& im) {
    TRasterImage out = im;
    for (int32_t y = 0; y < im.Height / 2; ++y)
        std::swap_ranges(out.Argb.begin() + static_cast<ptrdiff_t>(y) * im.Width,
                         out.Argb.begin() + static_cast<ptrdiff_t>(y + 1) * im.Width,
                         out.Argb.begin() + static_cast<ptrdiff_t>(im.Height - 1 - y) * im.Width);
    return out;
}

TRasterImage ScaledDown(const TRasterImage& im, int32_t maxSide) {
    const int32_t longer = std::max(im.Width, im.Height);
    if (maxSide <= 0 || longer <= maxSide) return im;
    TRasterImage out;
    out.Width = std::max<int32_t>(1, static_cast<int32_t>(int64_t(im.Width) * maxSide / longer));
    out.Height = std::max<int32_t>(1, static_cast<int32_t>(int64_t(im.Height) * maxSide / longer));
    out.Argb.resize(static_cast<size_t>(out.Width) * out.Height);
    for (int32_t y = 0; y < out.Height; ++y) {
        const int32_t y0 = static_cast<int32_t>(int64_t(y) * im.Height / out.Height);
        const int32_t y1 = std::max(y0 + 1, static_cast<int32_t>(int64_t(y + 1) * im.Height / out.Height));
        for (int32_t x = 0; x < out.Width; ++x) {
            const int32_t x0 = static_cast<int32_t>(int64_t(x) * im.Width / out.Width);
            const int32_t x1 = std::max(x0 + 1, static_cast<int32_t>(int64_t(x + 1) * im.Width / out.Width));
            uint64_t r = 0, g = 0, bl = 0, n = 0;
            for (int32_t yy = y0; yy < y1; ++yy)
                for (int32_t xx = x0; xx < x1; ++xx) {
                    const uint32_t p = im.Argb[static_cast<size_t>(yy) * im.Width + xx];
                    r += (p >> 16) & 0xFF;
                    g += (p >> 8) & 0xFF;
                    bl += p & 0xFF;
                    ++n;
                }
            out.Argb[static_cast<size_t>(y) * out.Width + x] =
                0xFF000000u | uint32_t(r / n) << 16 | uint32_t(g / n) << 8 | uint32_t(bl / n);
        }
    }
    return out;
}

const std::vector<uint8_t>& DefaultPictureJpeg() {
    // A hoop drawn on a soft background: something to look at until a picture is imported.
    static const std::vector<uint8_t> bytes = [] {
        TRasterImage im;
        im.Width = im.Height = 96;
        im.Argb.resize(96 * 96);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 96; ++x) {
                const int dx = x - 48, dy = y - 48, d2 = dx * dx + dy * dy;
                uint32_t c = 0xFFF4EEE0u - static_cast<uint32_t>((y / 8) * 0x010101);
                if (d2 >= 34 * 34 && d2 <= 40 * 40) c = 0xFFA0784Cu;           // the hoop
                if ((x + y) % 16 == 0 && d2 < 30 * 30) c = 0xFF3060C0u;        // stitches
                if (std::abs(dx) <= 1 && dy > -30 && dy < 30) c = 0xFFC04040u; // a running line
                im.Argb[static_cast<size_t>(y) * 96 + x] = c;
            }
        return EncodeJpeg(im, 90);
    }();
    return bytes;
}

} // namespace nl
