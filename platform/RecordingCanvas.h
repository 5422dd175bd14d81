// A Canvas that records what was drawn, for tests and for counting work in benchmarks.
#pragma once
#include "platform/Canvas.h"

namespace nl {

class TRecordingCanvas : public Canvas {
public:
    struct Op {
        char Kind; // 'L' line, 'P' polyline, 'M' marker, 'F' fill, 'R' rect, 'T' text, 'I' image, 'C' clear
        int32_t Colour;
        std::vector<TPointF> Points;
        std::string Text;
    };
    std::vector<Op> Ops;
    bool Record = true; // false: count only
    size_t Count = 0;
    int32_t PenColour = 0;

    void SetPen(int32_t colour, float, TPenStyle) override { PenColour = colour; }
    void Line(float x1, float y1, float x2, float y2) override {
        Add({'L', PenColour, {{x1, y1}, {x2, y2}}, {}});
    }
    void Polyline(const std::vector<TPointF>& pts) override { Add({'P', PenColour, pts, {}}); }
    void Marker(float x, float y, TMarker, float, int32_t colour) override {
        Add({'M', colour, {{x, y}}, {}});
    }
    void FillPolygon(const std::vector<TPointF>& pts, int32_t colour, int) override {
        Add({'F', colour, pts, {}});
    }
    void Rectangle(float l, float t, float r, float b) override {
        Add({'R', PenColour, {{l, t}, {r, b}}, {}});
    }
    void Text(float x, float y, const std::string& text, int32_t colour, float) override {
        Add({'T', colour, {{x, y}}, text});
    }
    void Image(float l, float t, float r, float b, int, int, const std::vector<uint32_t>&, int) override {
        Add({'I', 0, {{l, t}, {r, b}}, {}});
    }
    void Clear(int32_t colour) override { Add({'C', colour, {}, {}}); }
    // Typefaces asked for, in order ("family" with " bold" / " italic" added).
    std::vector<std::string> Fonts;
    void SetFont(const std::string& family, bool bold, bool italic) override {
        Fonts.push_back(family + (bold ? " bold" : "") + (italic ? " italic" : ""));
    }
    // Kept pictures are copies of what was recorded so far.
    bool CanKeep = true;
    bool KeepPicture(int slot) override {
        if (!CanKeep || slot < 0) return false;
        if (kept_.size() <= static_cast<size_t>(slot)) kept_.resize(static_cast<size_t>(slot) + 1);
        kept_[static_cast<size_t>(slot)] = {Ops, Count, true};
        return true;
    }
    bool RestorePicture(int slot) override {
        if (!CanKeep || slot < 0 || static_cast<size_t>(slot) >= kept_.size() ||
            !kept_[static_cast<size_t>(slot)].Valid)
            return false;
        Ops = kept_[static_cast<size_t>(slot)].Ops;
        Count = kept_[static_cast<size_t>(slot)].Count;
        return true;
    }
    size_t CountKind(char k) const {
        size_t n = 0;
        for (auto& o : Ops)
            n += o.Kind == k;
        return n;
    }

private:
    struct Kept {
        std::vector<Op> Ops;
        size_t Count = 0;
        bool Valid = false;
    };
    std::vector<Kept> kept_;
    void Add(Op op) {
        ++Count;
        if (Record) Ops.push_back(std::move(op));
    }
};

} // namespace nl
