#include "cli/Render.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <zlib.h>

#include "cli/ImageCanvas.h"
#include "core/Colour.h"
#include "core/Errors.h"
#include "sewing/SewSimulator.h"
#include "stitching/SLStitch.h"

namespace nl::cli {

namespace {
constexpr int kMargin = 8;
constexpr int32_t kBackground = 0x00F4F8F8; // a light, slightly warm white
constexpr int32_t kDefaultThread = 0x00202020;
} // namespace

void TImage::Set(int x, int y, int32_t colour) {
    if (x < 0 || y < 0 || x >= Width || y >= Height) return;
    uint8_t* p =
        Rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)) * 3;
    p[0] = static_cast<uint8_t>(ColourR(colour));
    p[1] = static_cast<uint8_t>(ColourG(colour));
    p[2] = static_cast<uint8_t>(ColourB(colour));
}

TImage RenderStitches(const TSLStitch& design, int width) {
    width = std::clamp(width, MIN_RENDER_WIDTH, MAX_RENDER_WIDTH);
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool any = false;
    for (const TSP& p : design) {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
        if (!any) {
            minX = maxX = p.X;
            minY = maxY = p.Y;
            any = true;
        }
        minX = std::min<double>(minX, p.X), maxX = std::max<double>(maxX, p.X);
        minY = std::min<double>(minY, p.Y), maxY = std::max<double>(maxY, p.Y);
    }
    const double spanX = std::max(maxX - minX, 1.0), spanY = std::max(maxY - minY, 1.0);
    const int inner = width - 2 * kMargin;
    double scale = inner / spanX;
    if (spanY * scale > MAX_RENDER_WIDTH - 2 * kMargin) scale = (MAX_RENDER_WIDTH - 2 * kMargin) / spanY;
    TImage img;
    img.Width = width;
    img.Height = std::clamp(static_cast<int>(std::ceil(spanY * scale)) + 2 * kMargin, MIN_RENDER_WIDTH,
                            MAX_RENDER_WIDTH);
    img.Rgb.resize(static_cast<size_t>(img.Width) * static_cast<size_t>(img.Height) * 3);
    for (size_t i = 0; i < img.Rgb.size(); i += 3) {
        img.Rgb[i] = static_cast<uint8_t>(ColourR(kBackground));
        img.Rgb[i + 1] = static_cast<uint8_t>(ColourG(kBackground));
        img.Rgb[i + 2] = static_cast<uint8_t>(ColourB(kBackground));
    }
    // Centre the design in the picture.
    const double offX = kMargin + (inner - spanX * scale) / 2, offY = (img.Height - spanY * scale) / 2;
    const int brush = std::max(1, width / 800);
    auto plot = [&](double x, double y, int32_t colour) {
        int px = static_cast<int>(std::lround(x)), py = static_cast<int>(std::lround(y));
        for (int dy = 0; dy < brush; ++dy)
            for (int dx = 0; dx < brush; ++dx)
                img.Set(px + dx, py + dy, colour);
    };
    int32_t thread = kDefaultThread;
    double lastX = 0, lastY = 0;
    bool have = false;
    for (const TSP& p : design) {
        if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
        double x = offX + (p.X - minX) * scale, y = offY + (p.Y - minY) * scale;
        bool newBlock = p.IsColourPoint();
        if (newBlock && p.ColourOrLink != NO_COLOUR) thread = p.ColourOrLink & 0x00FFFFFF;
        if (have && !newBlock) {
            double steps = std::ceil(std::max(std::fabs(x - lastX), std::fabs(y - lastY)));
            for (double s = 0; s <= steps; ++s) {
                double t = steps > 0 ? s / steps : 0;
                plot(lastX + (x - lastX) * t, lastY + (y - lastY) * t, thread);
            }
        } else {
            plot(x, y, thread);
        }
        lastX = x, lastY = y, have = true;
    }
    return img;
}

TImage RenderSewn(const TSLStitch& design, const TSewnOptions& options) {
    return RenderSewn(TSimulationList::FromPoints(design.Raw()), options);
}

TImage RenderSewn(const TSimulationList& list, const TSewnOptions& options) {
    const int width = std::clamp(options.Width, MIN_RENDER_WIDTH, MAX_RENDER_WIDTH);
    const TKvRect& b = list.Bounds();
    const double spanX = b.empty ? 1.0 : std::max(1.0, static_cast<double>(b.Right) - b.Left);
    const double spanY = b.empty ? 1.0 : std::max(1.0, static_cast<double>(b.Bottom) - b.Top);
    TImage img;
    img.Width = width;
    img.Height = std::clamp(static_cast<int>(std::ceil(spanY * (width - 2 * kMargin) / spanX)) + 2 * kMargin,
                            MIN_RENDER_WIDTH, MAX_RENDER_WIDTH);
    img.Rgb.resize(static_cast<size_t>(img.Width) * static_cast<size_t>(img.Height) * 3);
    const TSimViewport view = TSimViewport::Fit(b, img.Width, img.Height, kMargin);
    const TSimSettings settings; // the simulator's own colours
    TSimLook look;
    look.Background = settings.Background;
    look.Jumps = options.Jumps;
    look.MarkerSize = options.Points ? 3.f : 0.f;
    const int32_t cursor =
        list.Empty() ? 0 : static_cast<int32_t>(std::clamp<int64_t>(options.UpTo, 1, list.Count()) - 1);
    TImageCanvas canvas(img);
    TSimPainter painter;
    painter.Draw(canvas, list, cursor, view, look);
    TSimPainter::DrawNeedle(canvas, list, cursor, view, settings.NeedleColour);
    return img;
}

namespace {
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}
void Chunk(std::vector<uint8_t>& out, const char* type, const uint8_t* data, size_t n) {
    PutU32(out, static_cast<uint32_t>(n));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (n) out.insert(out.end(), data, data + n);
    uLong crc = crc32(0L, out.data() + start, static_cast<uInt>(n + 4));
    PutU32(out, static_cast<uint32_t>(crc));
}
} // namespace

std::vector<uint8_t> EncodePng(const TImage& image) {
    // Each row: filter type 0, then the row's bytes.
    const size_t row = static_cast<size_t>(image.Width) * 3;
    std::vector<uint8_t> raw;
    raw.reserve((row + 1) * static_cast<size_t>(image.Height));
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back(0);
        const uint8_t* r = image.Rgb.data() + row * static_cast<size_t>(y);
        raw.insert(raw.end(), r, r + row);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
        throw TError("cannot compress the picture");
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> ihdr;
    PutU32(ihdr, static_cast<uint32_t>(image.Width));
    PutU32(ihdr, static_cast<uint32_t>(image.Height));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter choice, no interlace
    Chunk(out, "IHDR", ihdr.data(), ihdr.size());
    Chunk(out, "IDAT", packed.data(), packed.size());
    Chunk(out, "IEND", nullptr, 0);
    return out;
}

} // namespace nl::cli
