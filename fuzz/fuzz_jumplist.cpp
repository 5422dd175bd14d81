// Fuzz target for the jump-list reader in its worksheet and clipboard (stream) forms, and for
// what follows a read: resolving the links among the outlines, generating the chain and walking
// it for export. The first byte picks the form; then the records of three outlines' lists follow.
// Whatever the bytes, resolution must leave consistent links and every walk must end.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/RecordIO.h"
#include "formats/ExportWalk.h"
#include "regions/JumpNodes.h"
#include "stitching/SLCurve.h"

using namespace nl;

namespace {
std::unique_ptr<TSLCurve> Outline(float y, int segments) {
    auto c = std::make_unique<TSLCurve>();
    for (int s = 0; s <= segments; ++s) {
        float x = 100.f * s;
        if (s > 0) {
            c->AppendPoint(0, -1, x - 66.f, y);
            c->AppendPoint(0, -1, x - 33.f, y);
        }
        c->AppendPoint(0, -1, x, y);
    }
    c->Flags |= OF_VISIBLE | OF_RUNNING;
    c->SetStitchTypeBits(ST_RUNNING);
    c->Passes = 1;
    c->RunLength = 40;
    return c;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const bool stream = (data[0] & 1) != 0;
    TRecordContext rc;
    rc.OriginX = 10;
    rc.OriginY = 20;
    TByteReader r(std::span<const uint8_t>(data + 1, size - 1));
    TRecordReader io(r, rc, stream ? TRecordForm::Stream : TRecordForm::Worksheet);
    std::vector<std::unique_ptr<TSLCurve>> curves;
    for (int i = 0; i < 3; ++i)
        curves.push_back(Outline(100.f * i, 2 + i));
    TStitchContext ctx;
    for (auto& c : curves) {
        c->RefreshGeometry(ctx);
        auto list = std::make_unique<TJumpList>();
        try {
            list->Record(io, c->LastSample());
        } catch (const TError&) {
            break;
        }
        c->Jumps = std::move(list);
        c->EntryIndex = (data[0] & 2) ? 0 : -1;
    }
    TSLStitch direct;
    std::vector<TSLStitch*> objects{curves[0].get(), curves[1].get(), &direct, curves[2].get()};
    ResolveJumps(objects);
    for (auto& c : curves) {
        if (!c->Jumps) continue;
        for (const auto& j : *c->Jumps)
            if (!j->Reverse || j->Reverse->Reverse != j.get() || !j->LinkedOutline) __builtin_trap();
    }
    TStitchContext single;
    single.BatchTransform = true;
    for (auto& c : curves)
        Restitch(*c, single);
    for (auto& c : curves)
        if (c->JumpLinks() && c->Generated) {
            auto w = JumpNetworkWalk(*c, c->Jumps ? c->Jumps->StitchIndex : 0);
            if (w.size() > 10000000) __builtin_trap();
        }
    return 0;
}
