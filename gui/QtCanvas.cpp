#include "gui/QtCanvas.h"

#include <QFontMetricsF>
#include <QImage>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/Colour.h"

namespace nl {

namespace {
// Nearest pixel; inline, as the library call costs more than the rest of the loop.
inline int RoundPx(float v) {
    return static_cast<int>(v >= 0.f ? v + 0.5f : v - 0.5f);
}
} // namespace

TQtCanvas::TQtCanvas(QPainter& painter, const QRect& area, TKeptPictures* kept)
    : p_(painter), area_(area), kept_(kept) {
    p_.setRenderHint(QPainter::Antialiasing, false);
    pen_.setCosmetic(true);
    p_.setPen(pen_);
    p_.setBrush(Qt::NoBrush);
    // On a plain 32-bit image with no transform or clip, thin solid lines and square markers
    // are written straight into the pixels: a design has hundreds of thousands of each, and
    // the painter's per-call cost would dominate a frame.
    QPaintDevice* dev = p_.device();
    if (dev && dev->devType() == QInternal::Image && p_.transform().isIdentity() && !p_.hasClipping()) {
        auto* img = static_cast<QImage*>(dev);
        QImage::Format f = img->format();
        if ((f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
             f == QImage::Format_ARGB32_Premultiplied) &&
            img->devicePixelRatio() == 1.0) {
            image_ = img;
            bits_ = reinterpret_cast<uint32_t*>(img->bits());
            stride_ = img->bytesPerLine() / 4;
            width_ = img->width();
            height_ = img->height();
        }
    }
}

void TQtCanvas::DirectLine(int x0, int y0, int x1, int y1, uint32_t pixel) {
    // Liang-Barsky clipping to the image, then Bresenham; pixels are checked once more so that
    // rounding at the clip edges can never write outside.
    auto inside = [&](int x, int y) {
        return static_cast<unsigned>(x) < static_cast<unsigned>(width_) &&
               static_cast<unsigned>(y) < static_cast<unsigned>(height_);
    };
    if (inside(x0, y0) && inside(x1, y1)) {
        // The common case: no clipping, no checks.
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int ex = std::abs(x1 - x0), ey = -std::abs(y1 - y0), err = ex + ey;
        for (;;) {
            bits_[static_cast<ptrdiff_t>(y0) * stride_ + x0] = pixel;
            if (x0 == x1 && y0 == y1) return;
            int e2 = 2 * err;
            if (e2 >= ey) {
                err += ey;
                x0 += sx;
            }
            if (e2 <= ex) {
                err += ex;
                y0 += sy;
            }
        }
    }
    double t0 = 0, t1 = 1, dx = x1 - x0, dy = y1 - y0;
    auto clip = [&](double p, double q) {
        if (p == 0) return q >= 0;
        double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
        return true;
    };
    if (!clip(-dx, x0) || !clip(dx, width_ - 1 - x0) || !clip(-dy, y0) || !clip(dy, height_ - 1 - y0)) return;
    int ax = static_cast<int>(std::lround(x0 + t0 * dx)), ay = static_cast<int>(std::lround(y0 + t0 * dy));
    int bx = static_cast<int>(std::lround(x0 + t1 * dx)), by = static_cast<int>(std::lround(y0 + t1 * dy));
    int sx = ax < bx ? 1 : -1, sy = ay < by ? 1 : -1;
    int ex = std::abs(bx - ax), ey = -std::abs(by - ay), err = ex + ey;
    for (;;) {
        if (static_cast<unsigned>(ax) < static_cast<unsigned>(width_) &&
            static_cast<unsigned>(ay) < static_cast<unsigned>(height_))
            bits_[static_cast<ptrdiff_t>(ay) * stride_ + ax] = pixel;
        if (ax == bx && ay == by) break;
        int e2 = 2 * err;
        if (e2 >= ey) {
            err += ey;
            ax += sx;
        }
        if (e2 <= ex) {
            err += ex;
            ay += sy;
        }
    }
}

void TQtCanvas::DirectSquare(float x, float y, float size, bool filled, uint32_t pixel) {
    int n = std::max(1, RoundPx(size));
    int left = RoundPx(x) - n / 2, top = RoundPx(y) - n / 2;
    int x0 = std::max(0, left), x1 = std::min(width_ - 1, left + n - 1);
    int y0 = std::max(0, top), y1 = std::min(height_ - 1, top + n - 1);
    for (int yy = y0; yy <= y1; ++yy) {
        uint32_t* row = bits_ + static_cast<ptrdiff_t>(yy) * stride_;
        bool edgeRow = yy == top || yy == top + n - 1;
        if (filled || edgeRow) {
            for (int xx = x0; xx <= x1; ++xx)
                row[xx] = pixel;
        } else {
            if (left >= 0 && left < width_) row[left] = pixel;
            int right = left + n - 1;
            if (right >= 0 && right < width_) row[right] = pixel;
        }
    }
}

TQtCanvas::~TQtCanvas() {
    Flush();
}

QColor TQtCanvas::ToQColor(int32_t c, int alpha) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF, alpha);
}

void TQtCanvas::Flush() {
    if (rects_.empty()) return;
    QColor c = ToQColor(batchColour_);
    if (batchFilled_) {
        for (const QRectF& r : rects_)
            p_.fillRect(r, c);
    } else {
        p_.setPen(QPen(c, 0));
        p_.setBrush(Qt::NoBrush);
        p_.drawRects(rects_.data(), static_cast<int>(rects_.size()));
        p_.setPen(pen_);
    }
    rects_.clear();
}

void TQtCanvas::SetPen(int32_t colour, float width, TPenStyle style) {
    Flush();
    ++generation_; // segments drawn in another pen do not count as drawn in this one
    directPen_ = bits_ && width <= 1.f && style == TPenStyle::Solid;
    penPixel_ = 0xFF000000u | static_cast<uint32_t>(ColourR(colour)) << 16 |
                static_cast<uint32_t>(ColourG(colour)) << 8 | static_cast<uint32_t>(ColourB(colour));
    pen_ = QPen(ToQColor(colour), width <= 1.f ? 0 : width);
    pen_.setCosmetic(true);
    pen_.setStyle(style == TPenStyle::Dash  ? Qt::DashLine
                  : style == TPenStyle::Dot ? Qt::DotLine
                                            : Qt::SolidLine);
    p_.setPen(pen_);
}

void TQtCanvas::Line(float x1, float y1, float x2, float y2) {
    Flush();
    if (directPen_) {
        DirectLine(RoundPx(x1), RoundPx(y1), RoundPx(x2), RoundPx(y2), penPixel_);
        return;
    }
    p_.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void TQtCanvas::Polyline(const std::vector<TPointF>& pts) {
    Flush();
    // Whole pixels: the integer path of the painter is the fast one, and at low zoom many
    // consecutive stitch points fall on the same pixel and need no segment of their own.
    ipoints_.clear();
    ipoints_.reserve(pts.size());
    for (const TPointF& p : pts) {
        QPoint q(RoundPx(p.X), RoundPx(p.Y));
        if (ipoints_.empty() || ipoints_.back() != q) ipoints_.push_back(q);
    }
    if (ipoints_.size() == 1) ipoints_.push_back(ipoints_.back());
    if (directPen_) {
        for (size_t i = 1; i < ipoints_.size(); ++i)
            DirectLine(ipoints_[i - 1].x(), ipoints_[i - 1].y(), ipoints_[i].x(), ipoints_[i].y(), penPixel_);
        return;
    }
    if (ipoints_.size() < 64 || pen_.style() != Qt::SolidLine || pen_.widthF() > 1) {
        p_.drawPolyline(ipoints_.data(), static_cast<int>(ipoints_.size()));
        return;
    }
    // Long stitch runs: fill rows zigzag over the same pixels again and again at low zoom, and
    // much of an object may lie outside the view. Segments off the view, and segments already
    // drawn in this pen since it was set, are left out (a direct-mapped cache: a miss only means
    // a segment is drawn twice).
    if (segments_.empty()) segments_.assign(kSegmentSlots, TSegmentSlot{});
    lines_.clear();
    const int l = area_.left() - 1, r = area_.right() + 1, t = area_.top() - 1, b = area_.bottom() + 1;
    for (size_t i = 1; i < ipoints_.size(); ++i) {
        QPoint a = ipoints_[i - 1], c = ipoints_[i];
        if ((a.x() < l && c.x() < l) || (a.x() > r && c.x() > r) || (a.y() < t && c.y() < t) ||
            (a.y() > b && c.y() > b))
            continue;
        if (c.x() < a.x() || (c.x() == a.x() && c.y() < a.y())) std::swap(a, c);
        auto u16 = [](int v) { return static_cast<uint64_t>(static_cast<uint16_t>(v + 32768)); };
        uint64_t key = u16(a.x()) << 48 | u16(a.y()) << 32 | u16(c.x()) << 16 | u16(c.y());
        TSegmentSlot& slot = segments_[(key * 0x9E3779B97F4A7C15ull) >> (64 - kSegmentBits)];
        if (slot.Generation == generation_ && slot.Key == key) continue;
        slot.Key = key;
        slot.Generation = generation_;
        lines_.emplace_back(a, c);
    }
    if (!lines_.empty()) p_.drawLines(lines_.data(), static_cast<int>(lines_.size()));
}

void TQtCanvas::Marker(float x, float y, TMarker kind, float size, int32_t colour) {
    float h = size;
    if (kind == TMarker::Square || kind == TMarker::FilledSquare) {
        bool filled = kind == TMarker::FilledSquare;
        if (bits_) {
            DirectSquare(x, y, h, filled,
                         0xFF000000u | static_cast<uint32_t>(ColourR(colour)) << 16 |
                             static_cast<uint32_t>(ColourG(colour)) << 8 |
                             static_cast<uint32_t>(ColourB(colour)));
            return;
        }
        if (!rects_.empty() && (colour != batchColour_ || filled != batchFilled_)) Flush();
        batchColour_ = colour;
        batchFilled_ = filled;
        // Culled here: off-screen markers cost the painter as much as visible ones.
        if (x + h < area_.left() || x - h > area_.right() || y + h < area_.top() || y - h > area_.bottom())
            return;
        // At low zoom many points share a pixel; a marker identical to the last one drawn there
        // would paint the same pixels again.
        int px = RoundPx(x) - area_.left(), py = RoundPx(y) - area_.top();
        if (px >= 0 && py >= 0 && px < area_.width() && py < area_.height()) {
            if (drawn_.empty()) drawn_.assign(static_cast<size_t>(area_.width()) * area_.height(), 0);
            uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(colour)) << 32) |
                           (static_cast<uint64_t>(filled) << 31) |
                           (static_cast<uint32_t>(h * 16) & 0x7FFFFFFF);
            uint64_t& slot = drawn_[static_cast<size_t>(py) * area_.width() + px];
            if (slot == key) return;
            slot = key;
        }
        rects_.emplace_back(x - h / 2, y - h / 2, h, h);
        if (rects_.size() >= 4096) Flush();
        return;
    }
    Flush();
    QColor c = ToQColor(colour);
    p_.setPen(QPen(c, 0));
    switch (kind) {
    case TMarker::Cross:
        p_.drawLine(QPointF(x - h, y - h), QPointF(x + h, y + h));
        p_.drawLine(QPointF(x - h, y + h), QPointF(x + h, y - h));
        break;
    case TMarker::Circle:
        p_.drawEllipse(QPointF(x, y), h / 2 + 0.5, h / 2 + 0.5);
        break;
    case TMarker::FilledCircle:
        p_.setBrush(c);
        p_.drawEllipse(QPointF(x, y), h / 2 + 0.5, h / 2 + 0.5);
        p_.setBrush(Qt::NoBrush);
        break;
    case TMarker::Diamond: {
        QPointF d[4] = {{x, y - h}, {x + h, y}, {x, y + h}, {x - h, y}};
        p_.drawPolygon(d, 4);
        break;
    }
    default:
        break;
    }
    p_.setPen(pen_);
}

void TQtCanvas::FillPolygon(const std::vector<TPointF>& pts, int32_t colour, int alpha) {
    Flush();
    points_.resize(pts.size());
    for (size_t i = 0; i < pts.size(); ++i)
        points_[i] = QPointF(pts[i].X, pts[i].Y);
    p_.setPen(Qt::NoPen);
    p_.setBrush(ToQColor(colour, alpha));
    p_.drawPolygon(points_.data(), static_cast<int>(points_.size()));
    p_.setBrush(Qt::NoBrush);
    p_.setPen(pen_);
}

void TQtCanvas::Rectangle(float left, float top, float right, float bottom) {
    Flush();
    p_.drawRect(QRectF(QPointF(left, top), QPointF(right, bottom)));
}

void TQtCanvas::SetFont(const std::string& family, bool bold, bool italic) {
    if (!baseSaved_) baseFont_ = p_.font(), baseSaved_ = true;
    fontFamily_ = QString::fromStdString(family);
    bold_ = bold;
    italic_ = italic;
}

QFont TQtCanvas::TextFont(float size) const {
    QFont f = baseSaved_ ? baseFont_ : p_.font();
    if (!fontFamily_.isEmpty()) f.setFamily(fontFamily_);
    f.setBold(bold_);
    f.setItalic(italic_);
    // Within what a font engine can draw (and an int holds): a hostile file's height is huge.
    f.setPixelSize(static_cast<int>(std::clamp(std::isfinite(size) ? size : 1.f, 1.f, 10000.f)));
    return f;
}

float TQtCanvas::TextWidth(const std::string& text, float size) {
    return static_cast<float>(QFontMetricsF(TextFont(size)).horizontalAdvance(QString::fromStdString(text)));
}

void TQtCanvas::Text(float x, float y, const std::string& text, int32_t colour, float size) {
    Flush();
    p_.setFont(TextFont(size));
    p_.setPen(ToQColor(colour));
    p_.drawText(QPointF(x, y), QString::fromStdString(text));
    p_.setPen(pen_);
}

void TQtCanvas::Image(float left, float top, float right, float bottom, int width, int height,
                      const std::vector<uint32_t>& argb, int alpha) {
    Flush();
    if (width <= 0 || height <= 0 || argb.size() < static_cast<size_t>(width) * static_cast<size_t>(height))
        return;
    QImage img(reinterpret_cast<const uchar*>(argb.data()), width, height, width * 4, QImage::Format_ARGB32);
    p_.save();
    p_.setOpacity(alpha / 255.0);
    p_.setRenderHint(QPainter::SmoothPixmapTransform, smooth_);
    p_.drawImage(QRectF(QPointF(left, top), QPointF(right, bottom)), img);
    p_.restore();
}

bool TQtCanvas::KeepPicture(int slot) {
    Flush();
    if (!kept_ || !image_ || slot < 0 || slot > 4096) return false;
    if (kept_->size() <= static_cast<size_t>(slot)) kept_->resize(static_cast<size_t>(slot) + 1);
    QImage& copy = (*kept_)[static_cast<size_t>(slot)];
    // The copy is reused when it has the right shape: keeping a picture is one block copy.
    if (copy.size() != image_->size() || copy.format() != image_->format() ||
        copy.bytesPerLine() != image_->bytesPerLine())
        copy = QImage(image_->size(), image_->format());
    if (copy.isNull()) return false;
    std::memcpy(copy.bits(), image_->constBits(), static_cast<size_t>(image_->sizeInBytes()));
    return true;
}

bool TQtCanvas::RestorePicture(int slot) {
    Flush();
    if (!kept_ || !image_ || slot < 0 || static_cast<size_t>(slot) >= kept_->size()) return false;
    const QImage& copy = (*kept_)[static_cast<size_t>(slot)];
    if (copy.size() != image_->size() || copy.format() != image_->format() ||
        copy.bytesPerLine() != image_->bytesPerLine())
        return false;
    std::memcpy(bits_, copy.constBits(), static_cast<size_t>(copy.sizeInBytes()));
    return true;
}

void TQtCanvas::Clear(int32_t colour) {
    rects_.clear();
    p_.fillRect(area_, ToQColor(colour));
}

} // namespace nl
