// A canvas that draws nowhere: the objects' drawing code runs and nothing is kept. For the fuzz
// targets and anything else that must exercise drawing without a picture.
#pragma once
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace nl {

class TNullCanvas : public Canvas {
public:
    void SetPen(int32_t, float, TPenStyle) override {}
    void Line(float, float, float, float) override {}
    void Polyline(const std::vector<TPointF>&) override {}
    void Marker(float, float, TMarker, float, int32_t) override {}
    void FillPolygon(const std::vector<TPointF>&, int32_t, int) override {}
    void Rectangle(float, float, float, float) override {}
    void Text(float, float, const std::string&, int32_t, float) override {}
    void Image(float, float, float, float, int, int, const std::vector<uint32_t>&, int) override {}
    void Clear(int32_t) override {}
};

} // namespace nl
