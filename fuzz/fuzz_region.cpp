// A region read from random bytes (worksheet record or object stream) never crashes or hangs its
// regeneration; outline references resolve against a small fixed set of outlines.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Errors.h"
#include "regions/SLRegion.h"

using namespace nl;

namespace {
std::unique_ptr<TSLCurve> Outline(std::vector<std::pair<float, float>> c) {
    return TSLCurve::FromPolyline(c);
}

struct TCurves {
    std::vector<std::unique_ptr<TSLStitch>> Owned;
    std::vector<TSLStitch*> Objects;
    TCurves() {
        Owned.push_back(Outline({{0, 0}, {400, 0}, {400, 400}, {0, 400}, {0, 0}}));
        Owned.push_back(Outline({{200, -100}, {200, 500}}));
        Owned.push_back(Outline({{-50, 200}, {450, 220}}));
        Owned.push_back(std::make_unique<TSLStitch>()); // not an outline
        for (auto& o : Owned)
            Objects.push_back(o.get());
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TCurves curves;
    if (size < 2) return 0;
    const bool stream = data[0] & 1;
    TRecordContext ctx;
    ctx.Version = 1000 + (data[1] % 12);
    TByteReader r(std::span<const uint8_t>(data + 2, size - 2));
    try {
        auto obj = stream ? ReadObjectStream(r, ctx) : ReadObjectRecord(r, ctx);
        auto* region = dynamic_cast<TSLRegion*>(obj.get());
        if (!region) return 0;
        region->ResolveOutlines(curves.Objects);
        TStitchContext sc;
        region->Flags |= OF_VISIBLE;
        region->UpdateBounds(sc);
        region->RegenerateFill(sc);
        region->RebuildFromOutlines(sc);
        region->RegenerateFill(sc);
    } catch (const TError&) {
    }
    return 0;
}
