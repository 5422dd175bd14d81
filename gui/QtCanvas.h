// Canvas over QPainter: what the engine draws lands on a widget or a QImage.
#pragma once
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLine>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <cstddef>
#include <vector>

#include "platform/Canvas.h"

namespace nl {

// Pictures kept by KeepPicture: copies of the target image, held by whoever owns the image so
// that they outlive the canvas (one canvas is made for each paint).
using TKeptPictures = std::vector<QImage>;

class TQtCanvas : public Canvas {
public:
    // `area` is the device rectangle that Clear fills. With `kept`, a canvas over a plain 32-bit
    // image can keep pictures of itself there.
    TQtCanvas(QPainter& painter, const QRect& area, TKeptPictures* kept = nullptr);
    ~TQtCanvas() override;

    void SetPen(int32_t colour, float width = 1.f, TPenStyle style = TPenStyle::Solid) override;
    void Line(float x1, float y1, float x2, float y2) override;
    void Polyline(const std::vector<TPointF>& pts) override;
    void Marker(float x, float y, TMarker kind, float size, int32_t colour) override;
    void FillPolygon(const std::vector<TPointF>& pts, int32_t colour, int alpha = 255) override;
    void Rectangle(float left, float top, float right, float bottom) override;
    void Text(float x, float y, const std::string& text, int32_t colour, float size = 10.f) override;
    void Image(float left, float top, float right, float bottom, int width, int height,
               const std::vector<uint32_t>& argb, int alpha = 255) override;
    void Clear(int32_t colour) override;
    void SetSmoothImages(bool smooth) override { smooth_ = smooth; }
    void SetFont(const std::string& family, bool bold, bool italic) override;
    float TextWidth(const std::string& text, float size) override;
    bool KeepPicture(int slot) override;
    bool RestorePicture(int slot) override;
    // Draws the markers still held in the batch.
    void Flush();

    static QColor ToQColor(int32_t colour, int alpha = 255);

private:
    QPainter& p_;
    QRect area_;
    bool smooth_ = false;
    QString fontFamily_; // empty: the painter's own
    bool bold_ = false, italic_ = false;
    QFont baseFont_; // the painter's font before the first SetFont
    bool baseSaved_ = false;
    QFont TextFont(float size) const; // the typeface set, at a pixel size
    QPen pen_;
    std::vector<QPointF> points_; // scratch for polygons
    std::vector<QPoint> ipoints_; // scratch for polylines
    std::vector<QLine> lines_;
    struct TSegmentSlot {
        uint64_t Key = 0;
        uint32_t Generation = 0;
    };
    static constexpr int kSegmentBits = 16;
    static constexpr size_t kSegmentSlots = size_t{1} << kSegmentBits;
    std::vector<TSegmentSlot> segments_; // segments drawn in the current pen
    uint32_t generation_ = 1;
    // Direct pixel access when the target is a plain 32-bit image (null otherwise).
    uint32_t* bits_ = nullptr;
    ptrdiff_t stride_ = 0;
    int width_ = 0, height_ = 0;
    bool directPen_ = false;
    uint32_t penPixel_ = 0xFF000000u;
    void DirectLine(int x0, int y0, int x1, int y1, uint32_t pixel);
    void DirectSquare(float x, float y, float size, bool filled, uint32_t pixel);
    // Square markers are batched: thousands of them per object.
    std::vector<QRectF> rects_;
    int32_t batchColour_ = 0;
    bool batchFilled_ = false;
    std::vector<uint64_t> drawn_; // per pixel: the last square marker drawn there (0: none)
    TKeptPictures* kept_ = nullptr;
    QImage* image_ = nullptr; // the target when it is a plain 32-bit image
};

} // namespace nl
