#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "SampleSheets.h"
#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "formats/Clipboard.h"

using namespace nl;

namespace {
std::vector<TSLStitch*> All(TSew& sew) {
    std::vector<TSLStitch*> v;
    for (int32_t i = 0; i < sew.Count(); ++i)
        v.push_back(sew[i]);
    return v;
}
} // namespace

TEST(Clipboard, HeaderAndEndMarkerAtTheirOffsets) {
    TSew sew;
    auto* o = sew.Add(std::make_unique<TSLStitch>());
    o->AppendPoint(0, 0, 110, 220);
    o->UpdateBounds({});
    const auto bytes = ClipboardBytes({o}, 100, 200);
    TByteReader r(bytes);
    EXPECT_EQ(r.I32(), 1360);
    EXPECT_EQ(r.I32(), 1011);
    EXPECT_EQ(r.I32(), 1);
    EXPECT_EQ(r.U8(), KIND_STITCH);
    EXPECT_EQ(bytes.back(), 0);
    // The body is the object's stream record relative to the origin.
    TByteWriter w;
    TRecordContext ctx;
    ctx.OriginX = 100;
    ctx.OriginY = 200;
    WriteObjectStream(w, *o, ctx);
    ASSERT_EQ(bytes.size(), 12 + w.Size() + 1);
    EXPECT_TRUE(std::equal(w.Data().begin(), w.Data().end(), bytes.begin() + 12));
}

TEST(Clipboard, EveryKindTravelsAndLandsAtTheNewOrigin) {
    TSew sew;
    nl::test::BuildBadge(sew);
    const auto bytes = ClipboardBytes(All(sew), 0, 0);
    // Far larger than one growth step of a fixed-step buffer: the whole record is there.
    auto objects = ReadClipboard(bytes, 500, 700, {});
    ASSERT_TRUE(objects);
    ASSERT_EQ(static_cast<int32_t>(objects->size()), sew.Count());
    for (size_t i = 0; i < objects->size(); ++i) {
        const TSLStitch& a = *sew[static_cast<int32_t>(i)];
        const TSLStitch& b = *(*objects)[i];
        EXPECT_EQ(a.Kind(), b.Kind());
        ASSERT_EQ(a.Count(), b.Count());
        if (a.Count()) {
            EXPECT_FLOAT_EQ(b[0].X, a[0].X + 500);
            EXPECT_FLOAT_EQ(b[0].Y, a[0].Y + 700);
        }
    }
    // Seeds for the paste fuzz target: NL_PASTE_CORPUS=<folder>.
    if (const char* dir = std::getenv("NL_PASTE_CORPUS")) {
        std::ofstream(std::filesystem::path(dir) / "badge.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        TSew one;
        nl::test::BuildMultiColour(one);
        const auto more = ClipboardBytes(All(one), 10, 10);
        std::ofstream(std::filesystem::path(dir) / "multicolour.bin", std::ios::binary)
            .write(reinterpret_cast<const char*>(more.data()), static_cast<std::streamsize>(more.size()));
    }
}

TEST(Clipboard, OtherDataIsNotARecordAndDamageIsRefused) {
    EXPECT_FALSE(ReadClipboard(std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e'}, 0, 0, {}));
    EXPECT_FALSE(ReadClipboard(std::vector<uint8_t>{}, 0, 0, {}));
    TByteWriter w;
    w.I32(1360);
    w.I32(1011);
    w.I32(-1);
    w.U8(0);
    EXPECT_THROW(ReadClipboard(w.Data(), 0, 0, {}), TReadError);
    TByteWriter v;
    v.I32(1360);
    v.I32(5000); // a newer program's record
    v.I32(0);
    v.U8(0);
    EXPECT_THROW(ReadClipboard(v.Data(), 0, 0, {}), TReadError);
}

TEST(Clipboard, PasteReadsEveryKindCopyWrites) {
    // Over every kind byte: what the object factory makes (and so a worksheet can hold and Copy
    // can write) reads back as the same record; any other kind is refused as damage.
    int made = 0;
    for (int kind = 1; kind < 256; ++kind) {
        SCOPED_TRACE(kind);
        std::unique_ptr<TSLStitch> o = CreateObjectOfKind(static_cast<uint8_t>(kind));
        if (!o) {
            TByteWriter w;
            w.I32(CLIPBOARD_OBJECTS_MAGIC);
            w.I32(1011);
            w.I32(1);
            w.U8(static_cast<uint8_t>(kind));
            for (int i = 0; i < 64; ++i)
                w.U8(0);
            EXPECT_THROW(ReadClipboard(w.Data(), 0, 0, {}), TReadError);
            continue;
        }
        ++made;
        ASSERT_EQ(o->Kind(), kind);
        // A region needs the outline it is built on, which travels with it.
        std::vector<std::unique_ptr<TSLStitch>> keep;
        std::vector<TSLStitch*> copied;
        if (kind == KIND_REGION) {
            auto outline = nl::test::ClosedOutline(nl::test::Square(100, 100, 200));
            outline->UpdateBounds({});
            o = nl::test::RegionOn(*outline, {});
            copied.push_back(outline.get());
            keep.push_back(std::move(outline));
        } else {
            for (int i = 0; i < 4; ++i)
                o->AppendPoint(0, 0, 100.f + 30 * i, 200.f + 10 * (i % 2));
        }
        o->UpdateBounds({});
        copied.push_back(o.get());
        const auto bytes = ClipboardBytes(copied, 50, 50);
        std::optional<std::vector<std::unique_ptr<TSLStitch>>> back;
        ASSERT_NO_THROW(back = ReadClipboard(bytes, 50, 50, {}));
        ASSERT_TRUE(back);
        ASSERT_EQ(back->size(), copied.size());
        EXPECT_EQ(back->back()->Kind(), kind);
        EXPECT_EQ(back->back()->Count(), o->Count());
        // Pasted, copied and pasted again: the same record (a region's fill is made on the way).
        auto record = [](const std::vector<std::unique_ptr<TSLStitch>>& objects) {
            std::vector<TSLStitch*> v;
            for (auto& b : objects)
                v.push_back(b.get());
            return ClipboardBytes(v, 50, 50);
        };
        const auto once = record(*back);
        EXPECT_EQ(record(*ReadClipboard(once, 50, 50, {})), once);
    }
    EXPECT_GE(made, 4) << "outlines, direct stitches, regions and lettering at least";
}
