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
