#include "stitching/Feather.h"

#include <algorithm>
#include <cmath>

namespace nl {

std::unique_ptr<TFeather> NewFeather() {
    auto f = std::make_unique<TFeather>();
    f->Seed = static_cast<int32_t>(ClockSeed());
    return f;
}

double FeatherAmount(const TFeather& f, bool above, double u, TRandom& rng) {
    double r = rng.Next();
    double scale = above ? f.ScaleA : f.ScaleB;
    bool autoWidth = (f.FeatherFlags & (above ? FF_AUTO_ABOVE : FF_AUTO_BELOW)) != 0;
    double width = autoWidth ? u : static_cast<double>(above ? f.WidthA : f.WidthB);
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
