#include "gui/QtCanvas.h"

#include <QImage>
#include <QString>

namespace nl {

namespace {
// Nearest pixel; inline, as the library call costs more than the rest of the loop.
inline int RoundPx(float v) {
    return static_cast<int>(v >= 0.f ? v + 0.5f : v - 0.5f);
}
} // namespace

TQtCanvas::TQtCanvas(QPainter& painter, const QRect& area) : p_(painter), area_(area) {
    p_.setRenderHint(QPainter::Antialiasing, false);
    pen_.setCosmetic(true);
    p_.setPen(pen_);
    p_.setBrush(Qt::NoBrush);
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
    pen_ = QPen(ToQColor(colour), width <= 1.f ? 0 : width);
    pen_.setCosmetic(true);
    pen_.setStyle(style == TPenStyle::Dash  ? Qt::DashLine
                  : style == TPenStyle::Dot ? Qt::DotLine
                                            : Qt::SolidLine);
    p_.setPen(pen_);
}

void TQtCanvas::Line(float x1, float y1, float x2, float y2) {
    Flush();
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
    p_.drawPolyline(ipoints_.data(), static_cast<int>(ipoints_.size()));
}

void TQtCanvas::Marker(float x, float y, TMarker kind, float size, int32_t colour) {
    float h = size;
    if (kind == TMarker::Square || kind == TMarker::FilledSquare) {
        bool filled = kind == TMarker::FilledSquare;
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

void TQtCanvas::Text(float x, float y, const std::string& text, int32_t colour, float size) {
    Flush();
    QFont f = p_.font();
    f.setPixelSize(std::max(1, static_cast<int>(size)));
    p_.setFont(f);
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
    p_.drawImage(QRectF(QPointF(left, top), QPointF(right, bottom)), img);
    p_.restore();
}

void TQtCanvas::Clear(int32_t colour) {
    rects_.clear();
    p_.fillRect(area_, ToQColor(colour));
}

} // namespace nl
