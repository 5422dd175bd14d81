#include "ui/PatternViewer.h"

#include <algorithm>

#include "formats/PatternFile.h"
#include "platform/Canvas.h"
#include "stitching/SLCurve.h"

namespace nl {

TPatternViewer::TPatternViewer(const TSupportBaseList& support,
                               const std::vector<std::filesystem::path>& folders,
                               std::shared_ptr<const TObjectStitch> clipboard,
                               std::function<void(const TEntry&)> chosen)
    : chosen_(std::move(chosen)) {
    for (const std::filesystem::path& folder : folders)
        for (const std::filesystem::path& file : PatternFiles(folder)) {
            try {
                std::shared_ptr<const TObjectStitch> pattern = LoadPatternFile(file);
                entries_.push_back({file.stem().string(), nullptr, file, std::move(pattern)});
            } catch (const TError&) {
                // An unreadable file is simply not offered.
            }
        }
    for (TObjectPatternCreator* c : support.Creators())
        entries_.push_back({WorksheetEntry, c, {}, nullptr});
    if (clipboard) entries_.push_back({ClipboardEntry, nullptr, {}, std::move(clipboard)});
}

void TPatternViewer::DrawThumbnail(size_t i, Canvas& canvas, float x, float y) const {
    if (i >= entries_.size()) return;
    const TEntry& e = entries_[i];
    // The drawing and the rectangle it is drawn in: a creator's members, or a file's objects.
    std::vector<const TSLStitch*> drawing;
    TKvRect rect;
    if (e.Creator) {
        drawing.assign(e.Creator->Members.begin(), e.Creator->Members.end());
        rect = e.Creator->Rect;
    } else if (e.Loaded) {
        for (const auto& item : e.Loaded->Items)
            if (item) drawing.push_back(item.get());
        // A copy's drawing lies in its tile; a file's in the creator's area it was drawn in.
        rect = e.Loaded->Bounds;
        if (e.Loaded->IsCopy()) rect.Set(0, 0, e.Loaded->PatternWidth - 1, e.Loaded->PatternHeight - 1);
    }
    const float k = static_cast<float>(kThumb);
    canvas.FillPolygon({{x, y}, {x + k, y}, {x + k, y + k}, {x, y + k}}, 0xF9F9F9);
    canvas.SetPen(0xFFFFFF, 1.f);
    canvas.Line(x, y + k - 1, x, y);
    canvas.Line(x, y, x + k - 1, y);
    canvas.SetPen(0x808080, 1.f);
    canvas.Line(x + k - 1, y, x + k - 1, y + k - 1);
    canvas.Line(x + k - 1, y + k - 1, x, y + k - 1);
    // Sizes below a unit would divide by zero.
    const double w = std::max<double>(1, static_cast<double>(rect.Right) - rect.Left + 1);
    const double h = std::max<double>(1, static_cast<double>(rect.Bottom) - rect.Top + 1);
    const double scale = (kThumb - 8) / std::max(w, h);
    const double ox = x + 4 + (kThumb - 8 - w * scale) / 2, oy = y + 4 + (kThumb - 8 - h * scale) / 2;
    for (const TSLStitch* m : drawing) {
        std::vector<TPointF> line;
        auto add = [&](double px, double py) {
            line.push_back({static_cast<float>(ox + (px - rect.Left) * scale),
                            static_cast<float>(oy + (py - rect.Top) * scale)});
        };
        if (m->Kind() == KIND_CURVE)
            static_cast<const TSLCurve&>(*m).FlattenVisit(0, -1,
                                                          [&](float px, float py, int32_t) { add(px, py); });
        else
            for (const TSP& p : *m)
                add(p.X, p.Y);
        canvas.SetPen(m->Kind() == KIND_CURVE ? 0x0000C0 : 0x006000, 1.f);
        if (line.size() > 1) canvas.Polyline(line);
    }
}

bool TPatternViewer::Choose(size_t i) {
    if (i >= entries_.size()) return false;
    if (chosen_) chosen_(entries_[i]);
    return true;
}

} // namespace nl
