#include "sewing/SimulationList.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <utility>

#include "core/Units.h"
#include "formats/ExportWalk.h"
#include "stitching/SLStitch.h"

namespace nl {

namespace {

// Only colour points change the thread: extended points that carry no jump.
bool IsColourPoint(const TSP& p) {
    return p.IsColourPoint() && !(p.Flags & SP_JUMP_BITS);
}

uint64_t NextSerial() {
    static uint64_t serial = 0;
    return ++serial;
}

// The points an export hands to a machine format, with its colour-block decisions: the emitters'
// walk, recorded instead of written.
class TSewnRecorder final : public TEmitter {
public:
    using TAdd = std::function<void(float x, float y, bool blockStart, int32_t colour)>;
    explicit TSewnRecorder(TAdd add) : add_(std::move(add)) {}
    void EmitObject(const TEmitList& points, TExportState& st) override {
        bool first = st.First, suppress = st.Suppress;
        for (size_t i = 0; i < points.Count(); ++i) {
            const TSP& p = points[i];
            if (first && i == 0) {
                // The design's first block: its colour is the first object's, as every format
                // opens it.
                int32_t colour = 0;
                for (size_t k = 0; k < points.Count(); ++k)
                    if (IsColourChange(points[k])) {
                        colour = points[k].ColourOrLink;
                        break;
                    }
                add_(p.X, p.Y, true, colour);
                continue;
            }
            const bool change = ColourStepAt(p, i, first, suppress, st) == TColourStep::Change;
            add_(p.X, p.Y, change, change ? p.ColourOrLink : 0);
        }
        st.First = false;
        st.Suppress = suppress;
    }

private:
    TAdd add_;
};

} // namespace

TSimulationList TSimulationList::FromOrder(const std::vector<TSLStitch*>& order) {
    TSimulationList list;
    TExportPlan plan(order);
    list.points_.reserve(static_cast<size_t>(std::max<int64_t>(plan.StitchTotal, 0)));
    TSewnRecorder recorder(
        [&list](float x, float y, bool blockStart, int32_t colour) { list.Add(x, y, blockStart, colour); });
    TExportState state;
    RunObjectWalk(plan, recorder, state);
    list.Finish();
    return list;
}

TSimulationList TSimulationList::FromPoints(std::span<const TSP> points) {
    TSimulationList list;
    list.points_.reserve(points.size());
    for (const TSP& p : points) {
        const bool colour = IsColourPoint(p);
        list.Add(p.X, p.Y, colour, colour ? p.ColourOrLink : NO_COLOUR);
    }
    list.Finish();
    return list;
}

std::vector<TSP> TSimulationList::AsPoints() const {
    std::vector<TSP> out;
    out.reserve(points_.size());
    for (int32_t i = 0; i < Count(); ++i) {
        const TSimPoint& p = points_[static_cast<size_t>(i)];
        out.push_back((p.Flags & SIM_BLOCK_START) ? TSP::Colour(0, p.X, p.Y, ColourAt(i))
                                                  : TSP::Plain(0, p.X, p.Y));
    }
    return out;
}

void TSimulationList::Add(float x, float y, bool blockStart, int32_t colour) {
    TSimPoint s{x, y, 0};
    const bool first = points_.empty();
    if (blockStart) {
        colour &= 0x00FFFFFF;
        if (!haveThread_) firstColour_ = colour;
        haveThread_ = true;
        s.Flags |= SIM_BLOCK_START;
        blocks_.push_back({static_cast<int32_t>(points_.size()), colour});
        // The thread was cut: the machine travels into the new block. Every other move is sewn.
        if (!first) s.Flags |= SIM_JUMP;
    } else if (first) {
        // The stitches before the first colour point form a block whose colour is settled at
        // the end (the first colour point's, or black).
        blocks_.push_back({0, NO_COLOUR});
    }
    points_.push_back(s);
}

void TSimulationList::Finish() {
    serial_ = NextSerial();
    if (!blocks_.empty() && blocks_.front().Colour == NO_COLOUR)
        blocks_.front().Colour = haveThread_ ? firstColour_ : 0;
    bounds_ = TKvRect{};
    bounds_.empty = true;
    constexpr float inf = std::numeric_limits<float>::infinity();
    float minX = inf, maxX = -inf, minY = inf, maxY = -inf;
    chunks_.clear();
    chunks_.reserve(points_.size() / CHUNK + 1);
    for (size_t first = 0; first < points_.size(); first += CHUNK) {
        TChunk c{inf, inf, -inf, -inf};
        const size_t last = std::min(points_.size(), first + CHUNK);
        for (size_t i = first; i < last; ++i) {
            const TSimPoint& p = points_[i];
            if (!std::isfinite(p.X) || !std::isfinite(p.Y)) continue;
            c.MinX = std::min(c.MinX, p.X), c.MaxX = std::max(c.MaxX, p.X);
            c.MinY = std::min(c.MinY, p.Y), c.MaxY = std::max(c.MaxY, p.Y);
        }
        chunks_.push_back(c);
        minX = std::min(minX, c.MinX), maxX = std::max(maxX, c.MaxX);
        minY = std::min(minY, c.MinY), maxY = std::max(maxY, c.MaxY);
    }
    if (minX <= maxX) {
        bounds_.SetRounded(minX, minY, maxX, maxY);
        bounds_.empty = false;
    }
}

int32_t TSimulationList::BlockAt(int32_t i) const {
    if (blocks_.empty()) return 0;
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), i,
                               [](int32_t v, const TBlock& b) { return v < b.First; });
    return it == blocks_.begin() ? 0 : static_cast<int32_t>(it - blocks_.begin()) - 1;
}

int32_t TSimulationList::NextBlockStart(int32_t p) const {
    const int32_t last = Count() - 1;
    if (last < 0) return 0;
    p = std::max(p, 0);
    auto it = std::upper_bound(blocks_.begin(), blocks_.end(), p,
                               [](int32_t v, const TBlock& b) { return v < b.First; });
    return it == blocks_.end() ? last : std::min(it->First, last);
}

int32_t TSimulationList::PreviousBlockStart(int32_t p) const {
    if (p <= 0 || blocks_.empty()) return std::max(p, 0);
    p = std::min(p, Count());
    auto it = std::lower_bound(blocks_.begin(), blocks_.end(), p,
                               [](const TBlock& b, int32_t v) { return b.First < v; });
    return it == blocks_.begin() ? 0 : std::prev(it)->First;
}

double TSimulationList::WidthMm() const {
    return bounds_.empty ? 0.0 : (static_cast<double>(bounds_.Right) - bounds_.Left) / kUnitsPerMm;
}

double TSimulationList::HeightMm() const {
    return bounds_.empty ? 0.0 : (static_cast<double>(bounds_.Bottom) - bounds_.Top) / kUnitsPerMm;
}

} // namespace nl
