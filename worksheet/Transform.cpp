#include "worksheet/Transform.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/Numeric.h"
#include "core/Point.h"
#include "regions/SLRegion.h"
#include "stitching/Outline.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {
bool Stitched(const TSLStitch& o) {
    return o.Kind() == KIND_REGION || (o.Kind() == KIND_CURVE && !(o.Flags & OF_RAIL_B));
}
} // namespace

void ScaleEnvelope(TSLStitch& object, double sxPercent, double syPercent) {
    auto* c = dynamic_cast<TSLCurve*>(&object);
    if (!c || !c->Outlines || c->SegmentCount() == 0) return;
    const double sx = sxPercent / 100.0, sy = syPercent / 100.0;
    const int32_t last = c->LastSample();
    // A width across a path of direction t (unit) becomes sx sy / |(sx tx, sy ty)| of itself: the
    // area a stretch of the column covers scales by sx sy, its length along the path by the
    // denominator.
    auto factorAt = [&](int32_t sample, float t) {
        const TRays rays = c->Perpendiculars(sample, t, 1.0);
        // The A ray is the path's direction turned a quarter: turned back, it is the direction.
        const double nx = rays.A.X2 - rays.A.X1, ny = rays.A.Y2 - rays.A.Y1;
        const double len = std::hypot(nx, ny);
        if (!(len > 1e-12)) return std::sqrt(sx * sy);
        const double tx = ny / len, ty = -nx / len;
        const double along = std::hypot(sx * tx, sy * ty);
        return along > 1e-12 ? sx * sy / along : std::sqrt(sx * sy);
    };
    // The sample at a fraction of the way from one sample to another, with its parameter.
    auto factorBetween = [&](int32_t from, int32_t to, double fraction) {
        const double at = from + (to - from) * std::clamp(fraction, 0.0, 1.0);
        const int32_t s = std::clamp(static_cast<int32_t>(std::floor(at)), 0, last);
        return factorAt(s, s >= last ? 1.f : SAMPLE_T[s % kSamplesPerSegment]);
    };
    TOutlineList& list = *c->Outlines;
    const int32_t sections = list.Count();
    for (int32_t i = 0; i < sections; ++i) {
        TOutline& s = *list[i];
        const int32_t from = std::clamp(s.StartSample, 0, last);
        const int32_t to = i + 1 < sections ? std::clamp(list[i + 1]->StartSample, from, last) : last;
        const auto start =
            static_cast<float>(factorAt(from, from >= last ? 1.f : SAMPLE_T[from % kSamplesPerSegment]));
        s.HeightA *= start;
        s.HeightB *= start;
        const auto at1A = static_cast<float>(factorBetween(from, to, s.CtrlPos1A / 100.0));
        const auto at2A = static_cast<float>(factorBetween(from, to, s.CtrlPos2A / 100.0));
        const auto at1B = static_cast<float>(factorBetween(from, to, s.CtrlPos1B / 100.0));
        const auto at2B = static_cast<float>(factorBetween(from, to, s.CtrlPos2B / 100.0));
        s.CtrlHeight1A *= at1A;
        s.CtrlHeight2A *= at2A;
        s.CtrlHeight1B *= at1B;
        s.CtrlHeight2B *= at2B;
    }
}

void TTransformSet::Start(TSew& sew, uint32_t bit, const TStitchContext& ctx) {
    targets_.clear();
    copies_.clear();
    dependents_.clear();
    bounds_ = TKvRect{.empty = true};
    for (int32_t i = 0; i < sew.Count(); ++i) {
        TSLStitch* o = sew[i];
        if ((o->Flags & bit) && !(o->Flags & OF_PATTERN_MEMBER) && o->Kind() != KIND_REGION) {
            targets_.push_back(o);
            bounds_.UnionWith(o->GetPathBounds());
        }
    }
    auto taken = [this](const TSLStitch* o) {
        return std::find(targets_.begin(), targets_.end(), o) != targets_.end();
    };
    const size_t outlines = targets_.size();
    for (int32_t i = 0; i < sew.Count(); ++i) {
        TSLStitch* o = sew[i];
        if (o->Kind() != KIND_REGION) continue;
        auto used = o->UsedOutlines();
        bool any = std::any_of(used.begin(), used.end(), [&](TSLStitch* u) {
            return std::find(targets_.begin(), targets_.begin() + static_cast<std::ptrdiff_t>(outlines), u) !=
                   targets_.begin() + static_cast<std::ptrdiff_t>(outlines);
        });
        if (!any && !((o->Flags & bit) && used.empty())) continue;
        if (std::all_of(used.begin(), used.end(), taken))
            targets_.push_back(o);
        else
            dependents_.push_back(o);
    }
    // Nothing is regenerated while the user changes the values.
    TStitchContext batch = ctx;
    batch.BatchTransform = true;
    auto drop = [&](TSLStitch* o) {
        if (!Stitched(*o) || !(o->Flags & OF_VISIBLE)) return;
        o->Flags = (o->Flags | OF_REBUILD_AFTER_TRANSFORM) & ~OF_VISIBLE;
        Restitch(*o, batch);
    };
    for (TSLStitch* o : targets_) {
        drop(o);
        copies_.push_back(o->Clone());
    }
    for (TSLStitch* o : dependents_)
        drop(o);
}

void TTransformSet::Restore(const TStitchContext& ctx) {
    for (size_t i = 0; i < targets_.size(); ++i)
        targets_[i]->Assign(*copies_[i]);
    RebuildDependents(ctx);
}

void TTransformSet::RebuildDependents(const TStitchContext& ctx) {
    for (TSLStitch* r : dependents_)
        static_cast<TSLRegion*>(r)->RebuildFromOutlines(ctx);
}

void TTransformSet::Rotate(double degrees, const TStitchContext& ctx) {
    if (!Active() || !std::isfinite(degrees)) return;
    TStitchContext batch = ctx;
    batch.BatchTransform = true;
    const double cx = (bounds_.Left + bounds_.Right) / 2.0, cy = (bounds_.Top + bounds_.Bottom) / 2.0;
    const double a = degrees * DegToRad;
    // The same turn as RotateAbout (clockwise on the screen, Y down) as one matrix: a selection
    // holds hundreds of thousands of points.
    const double c = std::cos(a), s = std::sin(a);
    auto turn = [&](float& x, float& y) {
        const double dx = x - cx, dy = y - cy;
        x = static_cast<float>(cx + dx * c - dy * s);
        y = static_cast<float>(cy + dx * s + dy * c);
    };
    for (size_t i = 0; i < targets_.size(); ++i) {
        TSLStitch& o = *targets_[i];
        o.Assign(*copies_[i]);
        if (o.Kind() == KIND_REGION) {
            static_cast<TSLRegion&>(o).ApplyRotation(degrees, cx, cy, batch);
            continue;
        }
        for (TSP& p : o)
            turn(p.X, p.Y);
        if (o.JumpVia) turn(o.JumpVia->X, o.JumpVia->Y);
        o.UpdateBounds(batch);
    }
    RebuildDependents(batch);
}

void TTransformSet::Scale(double sx, double sy, bool envelopes, const TStitchContext& ctx) {
    if (!Active()) return;
    TStitchContext batch = ctx;
    batch.BatchTransform = true;
    const double ax = bounds_.Left, ay = bounds_.Bottom;
    try {
        if (!std::isfinite(sx) || !std::isfinite(sy) || sx <= 0 || sy <= 0)
            throw TGenerationError("the scale is not a positive number");
        for (size_t i = 0; i < targets_.size(); ++i) {
            TSLStitch& o = *targets_[i];
            o.Assign(*copies_[i]);
            if (o.Kind() == KIND_REGION) {
                static_cast<TSLRegion&>(o).ApplyScale(ax, ay, sx, sy, batch);
                continue;
            }
            // The envelope's directions are those of the path before it is scaled.
            if (envelopes) ScaleEnvelope(o, sx, sy);
            for (TSP& p : o)
                ScaleAbout(p.X, p.Y, ax, ay, sx, sy);
            if (o.JumpVia) ScaleAbout(o.JumpVia->X, o.JumpVia->Y, ax, ay, sx, sy);
            o.UpdateBounds(batch);
        }
        RebuildDependents(batch);
    } catch (...) {
        Restore(batch);
        throw;
    }
}

void TTransformSet::End(const TStitchContext& ctx) {
    copies_.clear();
    auto restore = [&](TSLStitch* o) {
        if (!(o->Flags & OF_REBUILD_AFTER_TRANSFORM)) return false;
        o->Flags = (o->Flags & ~OF_REBUILD_AFTER_TRANSFORM) | OF_VISIBLE;
        Restitch(*o, ctx);
        return true;
    };
    for (TSLStitch* o : targets_) {
        o->UpdateBounds(ctx);
        restore(o);
    }
    for (TSLStitch* r : dependents_) {
        static_cast<TSLRegion*>(r)->RebuildFromOutlines(ctx);
        if (!restore(r)) Restitch(*r, ctx);
    }
    targets_.clear();
    dependents_.clear();
}

} // namespace nl
