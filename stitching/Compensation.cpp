#include "stitching/Compensation.h"

#include <cmath>
#include <vector>

#include "core/Geometry.h"
#include "stitching/Feather.h"

namespace nl {

namespace {
TPointD XY(const TSP& p) {
    return {p.X, p.Y};
}
TPointD Mid(TPointD a, TPointD b) {
    return {(a.X + b.X) / 2, (a.Y + b.Y) / 2};
}
} // namespace

void ShortenLast(TSLStitch& list, TShortSide side, TRandom& rng) {
    const int32_t n = list.Count() - 1;
    if (n < 3) return;
    TPointD e, s;
    if (side == TShortSide::B) {
        e = Mid(XY(list[n]), XY(list[n - 2]));
        s = {e.X + (list[n - 1].X - list[n - 2].X), e.Y + (list[n - 1].Y - list[n - 2].Y)};
    } else {
        e = Mid(XY(list[n - 1]), XY(list[n - 3]));
        s = Mid(XY(list[n]), XY(list[n - 2]));
    }
    double k = 50.0 + 30.0 * rng.Next();
    double u = HypotDistance(s, e);
    double keep = u * k / 100.0;
    TPointD at = u > 0 ? TPointD{s.X + (e.X - s.X) * keep / u, s.Y + (e.Y - s.Y) * keep / u} : e;
    double shortening = u - keep;
    if (side == TShortSide::A) shortening = -shortening;
    double full = HypotDistance(XY(list[n - 1]), XY(list[n]));
    int32_t index = side == TShortSide::B ? n : n - 1;
    TSP p = TSP::Modify(list[index].Flags, static_cast<float>(at.X), static_cast<float>(at.Y),
                        static_cast<float>(shortening), static_cast<float>(full));
    list.Replace(index, p);
}

bool CompensationActive(double value, const TStitchContext& ctx) {
    return value != 0.0 && std::isfinite(value) && (ctx.View.ShowCompensation || ctx.ForExport);
}

void CompensateAndFeather(TSLStitch& list, const TFeather* feather, bool compensate, double percent,
                          TRandom& rng) {
    const bool above = FeatherAbove(feather), below = FeatherBelow(feather);
    if (!above && !below && !compensate) return;
    // Work on the rail points only: fill cuts lie inside the band and are not stitch ends.
    std::vector<int32_t> rail;
    rail.reserve(static_cast<size_t>(list.Count()));
    for (int32_t i = 0; i < list.Count(); ++i)
        if (!(list[i].Flags & SP_FILL)) rail.push_back(i);
    if (rail.size() < 3) return;
    TPointD prev = XY(list[rail[0]]);
    for (size_t j = 1; j + 1 < rail.size(); ++j) {
        TSP& p = list[rail[j]];
        const TPointD old = XY(p);
        if (p.Flags & SP_SHORT) {
            prev = old; // a short point is not moved and is the next neighbour as it stands
            continue;
        }
        const TPointD m = Mid(prev, XY(list[rail[j + 1]]));
        double u = HypotDistance(m, old);
        if (u == 0) u = 0.001;
        const bool abovePos = (j % 2) == 1;
        double len = u;
        if (abovePos && above)
            len = FeatherAmount(*feather, true, u, rng);
        else if (!abovePos && below)
            len = FeatherAmount(*feather, false, u, rng);
        else if (compensate)
            len = u * (1.0 + percent / 100.0);
        if (len != u && std::isfinite(len)) {
            p.X = static_cast<float>(m.X + (old.X - m.X) * len / u);
            p.Y = static_cast<float>(m.Y + (old.Y - m.Y) * len / u);
        }
        prev = old;
    }
}

} // namespace nl
