// Fuzz target for the column and satin outline generators: curved columns and satin outlines
// built from arbitrary geometry and attributes (NaN, huge and negative values included) must
// generate, or be switched off, without crashing or hanging.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "stitching/Feather.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {
struct TBytes {
    const uint8_t* P;
    size_t N;
    template <typename T> T Get() {
        T v{};
        if (N >= sizeof(T)) {
            std::memcpy(&v, P, sizeof(T));
            P += sizeof(T);
            N -= sizeof(T);
        }
        return v;
    }
    float Coord() {
        // Mostly ordinary coordinates, with raw floats (NaN, huge) now and then.
        uint8_t mode = Get<uint8_t>();
        if (mode < 8) return Get<float>();
        return static_cast<float>(Get<int16_t>()) / 4.f;
    }
};

void Path(TSLCurve& c, TBytes& b, int32_t segments) {
    for (int32_t i = 0; i < 3 * segments + 1; ++i) {
        float x = b.Coord(), y = b.Coord();
        c.AppendPoint((b.Get<uint8_t>() & 1) ? SP_FORCE : 0, -1, x, y);
    }
}

std::unique_ptr<TFeather> Feather(TBytes& b) {
    auto f = std::make_unique<TFeather>();
    f->FeatherFlags = b.Get<uint8_t>() & 0xF;
    f->WidthA = b.Get<int16_t>();
    f->WidthB = b.Get<int16_t>();
    f->ScaleA = b.Get<float>();
    f->ScaleB = b.Get<float>();
    f->Seed = b.Get<int32_t>();
    return f;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBytes b{data, size};
    const uint8_t head = b.Get<uint8_t>();
    const int32_t segments = 1 + (head >> 4) % 4;
    TStitchContext ctx;
    ctx.ForExport = (head & 2) != 0;
    const uint32_t flags = b.Get<uint32_t>() & (OF_STITCH_FROM_END | OF_RETURN_STITCH | OF_SHORT_STITCHES);
    const uint32_t stitchFlags = b.Get<uint32_t>() & (SF_USE_FILL | SF_USE_OFFSET_B | SF_MATCH_TOP |
                                                      SF_MATCH_MIDDLE | SF_A_SIDE | SF_B_SIDE);
    if (head & 1) {
        TSLCurve a, r;
        Path(a, b, segments);
        Path(r, b, segments);
        a.Flags = OF_RAIL_A | OF_VISIBLE | flags;
        r.Flags = OF_RAIL_B | OF_VISIBLE;
        a.StitchFlags = stitchFlags | ST_SATIN;
        a.PartnerRail = &r;
        r.PartnerRail = &a;
        a.Density = b.Get<int16_t>();
        a.RunLength = b.Get<int16_t>();
        a.Compensation = b.Get<float>();
        a.FillPitch = b.Get<float>();
        a.FillOffsets = b.Get<uint32_t>();
        if (b.Get<uint8_t>() & 1) r.Feather = Feather(b);
        a.Flatten();
        r.Flatten();
        Restitch(a, ctx);
    } else {
        TSLCurve c;
        Path(c, b, segments);
        c.Flags = OF_VISIBLE | flags;
        c.StitchFlags = stitchFlags | ((head & 4) ? ST_ZIGZAG : ST_SATIN);
        c.Density = b.Get<int16_t>();
        c.RunLength = b.Get<int16_t>();
        c.FillPitch = b.Get<float>();
        c.FillOffsets = b.Get<uint32_t>();
        c.Outlines = TOutlineList::MakeDefault(segments + 1);
        for (int32_t i = 0; i < c.Outlines->Count(); ++i) {
            TOutline& o = *(*c.Outlines)[i];
            o.HeightA = b.Get<int8_t>();
            o.HeightB = b.Get<int8_t>();
            o.CtrlHeight1A = b.Get<int8_t>();
            o.CtrlHeight2B = b.Get<int8_t>();
            o.CtrlPos1A = b.Get<uint8_t>();
            o.EndRotation = b.Get<int8_t>() / 20.f;
            if (b.Get<uint8_t>() == 0xFF) o.HeightA = b.Get<float>();
        }
        c.Outlines->OutlineCompensation = b.Get<float>();
        if (b.Get<uint8_t>() & 1) c.Outlines->OutlineFeather = Feather(b);
        c.UpdateBounds(ctx);
    }
    return 0;
}
