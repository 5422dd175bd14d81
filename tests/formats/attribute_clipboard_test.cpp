// The attribute record that carries a stitch pattern on the clipboard: its bytes at their offsets,
// the pattern read back, records with other attributes included walked past, and what is not such
// a record or is damaged.
#include <gtest/gtest.h>

#include <cstring>

#include "SamplePatterns.h"
#include "core/BinaryIO.h"
#include "core/RecordIO.h"
#include "formats/AttributeClipboard.h"
#include "regions/Pattern.h"

using namespace nl;
using namespace nl::test;

namespace {
std::unique_ptr<TObjectStitch> Copy() {
    auto copy = MakeCopy(*ChevronsPattern());
    copy->PatternAngle = 0.25f;
    copy->Flags |= 0x80;
    return copy;
}
std::vector<uint8_t> StreamRecord(const TObjectStitch& p) {
    TByteWriter w;
    TRecordWriter io(w, TRecordContext{}, TRecordForm::Stream);
    p.Record(io);
    return w.Take();
}
} // namespace

TEST(AttributeClipboard, PatternRecordAtItsOffsets) {
    auto copy = Copy();
    const auto b = PatternAttributeBytes(KIND_REGION, copy.get());
    const auto pattern = StreamRecord(*copy);
    int32_t magic;
    std::memcpy(&magic, b.data(), 4);
    EXPECT_EQ(magic, 1361);
    EXPECT_EQ(b[4], KIND_REGION);
    // Eleven attributes before the pattern, none included.
    for (size_t i = 5; i < 16; ++i)
        EXPECT_EQ(b[i], 0) << i;
    EXPECT_EQ(b[16], 1) << "[Overlay Pattern]";
    EXPECT_EQ(b[17], 1) << "a pattern follows";
    ASSERT_EQ(b.size(), 18 + pattern.size() + 7 + 2 + 4);
    EXPECT_TRUE(std::equal(pattern.begin(), pattern.end(), b.begin() + 18));
    // Seven underlay items not included, then the stitch distance flags and limits.
    for (size_t i = 18 + pattern.size(); i < b.size(); ++i)
        EXPECT_EQ(b[i], 0) << i;

    auto back = ReadAttributePattern(b);
    ASSERT_TRUE(back && *back);
    EXPECT_EQ(StreamRecord(**back), pattern);
    // Without a pattern the second byte is 0 and nothing follows it.
    const auto none = PatternAttributeBytes(KIND_CURVE, nullptr);
    EXPECT_EQ(none.size(), 18u + 7 + 6);
    EXPECT_EQ(none[17], 0);
    auto empty = ReadAttributePattern(none);
    ASSERT_TRUE(empty);
    EXPECT_FALSE(*empty);
}

TEST(AttributeClipboard, OtherAttributesAreWalkedPast) {
    // A record with the colour, the compensation and the underlay rotation included around the
    // pattern, as a full attribute copy writes it.
    auto copy = Copy();
    TByteWriter w;
    w.I32(1361);
    w.U8(KIND_CURVE);
    w.U8(1), w.U8(1);                    // visibility
    w.U8(1), w.U8(1), w.U8(0), w.I32(8); // stitch type
    w.U8(1), w.I32(0x123456);            // colour
    for (int i = 0; i < 6; ++i)
        w.U8(0);
    w.U8(1), w.U8(1);   // split pitch
    w.U8(1), w.I32(40); // compensation
    w.U8(1), w.U8(1);
    const auto pattern = StreamRecord(*copy);
    for (uint8_t c : pattern)
        w.U8(c);
    w.U8(0), w.U8(1), w.I32(2048), w.U8(0), w.U8(0), w.U8(0); // underlay: type
    w.U8(1), w.U8(0), w.U8(1), w.U8(0), w.I32(45), w.I32(90); // the underlay rotation choice
    w.U8(1), w.I32(3);                                        // margin
    w.U8(1), w.U8(1), w.I32(0x00280064);
    auto back = ReadAttributePattern(w.Data());
    ASSERT_TRUE(back && *back);
    EXPECT_EQ(StreamRecord(**back), pattern);

    // Damaged: every truncation is refused; a header without its drawing is no pattern.
    for (size_t n = 5; n < w.Data().size(); ++n)
        EXPECT_THROW(ReadAttributePattern(std::span(w.Data()).first(n)), TReadError) << n;
    auto header = Copy();
    header->Flags &= ~TObjectStitch::PATTERN_COPY;
    EXPECT_THROW(ReadAttributePattern(PatternAttributeBytes(KIND_CURVE, header.get())), TReadError);
    // Not an attribute record: object data, text.
    const std::vector<uint8_t> objects = {0x50, 0x05, 0, 0, 0xF3, 0x03, 0, 0};
    EXPECT_FALSE(ReadAttributePattern(objects));
    EXPECT_FALSE(ReadAttributePattern(std::vector<uint8_t>{'h', 'i'}));
}
