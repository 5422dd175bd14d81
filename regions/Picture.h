// Pictures of the worksheet's picture objects: JPEG decoding and encoding through libjpeg, a
// small BMP reader for pictures imported from bitmaps, and the pixel-by-pixel orientation
// changes. Every reader treats its bytes as hostile: sizes are checked against the data and
// against a pixel cap before anything is allocated.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nl {

// Pixels of one decoded picture: 64 megapixels (a 12-megapixel photograph is well inside).
constexpr int64_t kMaxPicturePixels = int64_t(64) << 20;

// 32-bit 0xAARRGGBB pixels, rows top to bottom.
struct TRasterImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Argb;
    bool Empty() const { return Width <= 0 || Height <= 0; }
};

// The size a JPEG declares in its header. Throws TReadError when the bytes are not a JPEG.
void JpegSize(std::span<const uint8_t> jpeg, int32_t& width, int32_t& height);
// Decodes a JPEG. With `maxSide` > 0 the decoder's own scaling (1/2, 1/4, 1/8) is used so that
// the longer side is still at least `maxSide` pixels (or the full size when smaller): a view copy
// of a large photograph costs a fraction of the full decode. Throws TReadError with the reason on
// anything that is not a decodable JPEG, or one above `maxPixels`.
TRasterImage DecodeJpeg(std::span<const uint8_t> jpeg, int32_t maxSide = 0,
                        int64_t maxPixels = kMaxPicturePixels);
// Encodes at the given quality (1..100).
std::vector<uint8_t> EncodeJpeg(const TRasterImage& image, int quality = 100);
// An uncompressed 24- or 32-bit Windows bitmap (also 8-bit with a palette). Throws TReadError.
TRasterImage DecodeBmp(std::span<const uint8_t> bmp);

// Quarter turn clockwise, mirror left-right, mirror top-bottom.
TRasterImage Rotated90(const TRasterImage& image);
TRasterImage MirroredH(const TRasterImage& image);
TRasterImage MirroredV(const TRasterImage& image);
// A copy scaled down (box filter) so that its longer side is at most `maxSide`.
TRasterImage ScaledDown(const TRasterImage& image, int32_t maxSide);

// The picture a new picture object shows: a small built-in drawing, as JPEG.
const std::vector<uint8_t>& DefaultPictureJpeg();

} // namespace nl
