#include "formats/FlattenDesign.h"

#include <algorithm>
#include <cstdint>

#include "core/Colour.h"
#include "formats/ExportWalk.h"

namespace nl {

namespace {
class TFlattenEmitter : public TEmitter {
public:
    explicit TFlattenEmitter(TSLStitch& out) : out_(out) {}

    void EmitObject(const TEmitList& list, TExportState& st) override {
        const size_t n = list.Count();
        if (n == 0) return;
        bool first = st.First, suppress = st.Suppress;
        if (first) thread_ = FirstColour(list);
        for (size_t i = 0; i < n; ++i) {
            const TSP& p = list[i];
            const TColourStep step = ColourStepAt(p, i, first, suppress, st);
            if (out_.Empty()) {
                // The design's first needle point opens its first colour block.
                out_.Append(TSP::Colour(SP_BOUNDARY, p.X, p.Y, thread_));
            } else if (step == TColourStep::Change) {
                thread_ = p.ColourOrLink;
                out_.Append(TSP::Colour(SP_BOUNDARY, p.X, p.Y, thread_));
            } else {
                out_.Append(TSP::Plain(SP_BOUNDARY, p.X, p.Y));
            }
            first = false;
        }
        st.First = false;
    }

private:
    static int32_t FirstColour(const TEmitList& list) {
        for (size_t i = 0; i < list.Count(); ++i)
            if (IsColourChange(list[i])) return list[i].ColourOrLink;
        return DEFAULT_OBJECT_COLOUR;
    }

    TSLStitch& out_;
    int32_t thread_ = DEFAULT_OBJECT_COLOUR;
};
} // namespace

std::unique_ptr<TSLStitch> FlattenDesign(const std::vector<TSLStitch*>& order, const TStitchContext& ctx) {
    TExportPlan plan(order);
    if (plan.Empty()) return nullptr;
    auto flat = std::make_unique<TSLStitch>();
    flat->Flags = OF_NEEDLE_POINTS | OF_DIRECT | OF_VISIBLE;
    flat->Reserve(static_cast<int32_t>(std::min<int64_t>(plan.StitchTotal, INT32_MAX)));
    TFlattenEmitter emitter(*flat);
    TExportState state;
    RunObjectWalk(plan, emitter, state);
    if (flat->Empty()) return nullptr;
    flat->UpdateBounds(ctx);
    return flat;
}

} // namespace nl
