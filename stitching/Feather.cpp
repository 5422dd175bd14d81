#include "stitching/Feather.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"

namespace nl {

std::unique_ptr<TFeather> NewFeather() {
    auto f = std::make_unique<TFeather>();
    f->Seed = static_cast<int32_t>(ClockSeed());
    return f;
}

double FeatherAmount(const TFeather& f, bool above, double u, TRandom& rng) {
    double r = rng.Next();
    // Settings read from a file are brought into the page's ranges.
    double scale = ClampF(above ? f.ScaleA : f.ScaleB, FEATHER_SCALE_MIN, FEATHER_SCALE_MAX, 0.f);
    bool autoWidth = (f.FeatherFlags & (above ? FF_AUTO_ABOVE : FF_AUTO_BELOW)) != 0;
    double width = autoWidth ? u : Clamp(above ? f.WidthA : f.WidthB, 0, FEATHER_WIDTH_MAX);
    double v = u + r * (scale * width);
    return std::isfinite(v) ? std::max(0.0, v) : u;
}

void NewRandomSeed(TFeather& f) {
    int32_t old = f.Seed;
    do {
        TRandom rng(ClockSeed());
        rng.Next();
        f.Seed = static_cast<int32_t>(rng.State);
    } while (f.Seed == old);
}

} // namespace nl
