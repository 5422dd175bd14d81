// Stitch overlay pattern files: the record at its byte offsets, the drawing read back as it was
// written, refusals of damaged or foreign files with nothing half-read, the older layout without
// the version stamp, and the shipped example files matching the code that makes them.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "SamplePatterns.h"
#include "core/BinaryIO.h"
#include "core/FileIO.h"
#include "core/RecordIO.h"
#include "formats/PatternFile.h"
#include "regions/Pattern.h"
#include "tests/core/TempDir.h"

using namespace nl;
using namespace nl::test;

namespace {
int32_t I32At(const std::vector<uint8_t>& b, size_t at) {
    int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
float F32At(const std::vector<uint8_t>& b, size_t at) {
    float v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
// The worksheet record of one object, kind byte first.
std::vector<uint8_t> ObjectRecord(const TSLStitch& o) {
    TByteWriter w;
    TRecordWriter io(w, TRecordContext{}, TRecordForm::Worksheet);
    io.Object(o);
    return w.Take();
}
} // namespace

TEST(PatternFile, RecordFieldsAtTheirOffsets) {
    auto p = DiamondsPattern();
    p->Color = 0x123456;
    p->FrameStyle = 3;
    p->Locked = 1;
    p->Layer = 2;
    p->Extra = 7;
    p->Flags = 0x10 | 0x40 | 0x400;
    p->Bounds.Set(100, 200, 899, 1199);
    p->EditPoints = 24;
    p->PatternWidth = 240;
    p->PatternHeight = 160;
    p->PatternAngle = 0.5f;
    const std::vector<uint8_t> b = PatternFileBytes(*p);
    // type code, colour, frame style, lock, layer, the integer, flags
    EXPECT_EQ(b[0], 2);
    EXPECT_EQ(I32At(b, 1), 0x123456);
    EXPECT_EQ(b[5], 3);
    EXPECT_EQ(b[6], 1);
    EXPECT_EQ(b[7], 2);
    EXPECT_EQ(I32At(b, 8), 7);
    EXPECT_EQ(I32At(b, 12), 0x450);
    // the rectangle record: left, top, right, bottom, the empty marker
    EXPECT_EQ(I32At(b, 16), 100);
    EXPECT_EQ(I32At(b, 20), 200);
    EXPECT_EQ(I32At(b, 24), 899);
    EXPECT_EQ(I32At(b, 28), 1199);
    EXPECT_EQ(b[32], 0);
    // the writer's version, the four settings, the object count
    EXPECT_EQ(I32At(b, 33), 1011);
    EXPECT_EQ(I32At(b, 37), 24);
    EXPECT_EQ(I32At(b, 41), 240);
    EXPECT_EQ(I32At(b, 45), 160);
    EXPECT_EQ(F32At(b, 49), 0.5f);
    EXPECT_EQ(I32At(b, 53), 1);
    // then each object's whole worksheet record, kind byte first, and nothing after
    const std::vector<uint8_t> item = ObjectRecord(*p->Items[0]);
    EXPECT_EQ(item[0], KIND_STITCH);
    ASSERT_EQ(b.size(), 57 + item.size());
    EXPECT_TRUE(std::equal(item.begin(), item.end(), b.begin() + 57));
}

TEST(PatternFile, DrawingComesBackAsWritten) {
    for (const TSamplePattern& sample : SamplePatterns()) {
        SCOPED_TRACE(sample.FileName);
        auto p = sample.Build();
        auto back = ReadPatternFile(PatternFileBytes(*p));
        EXPECT_EQ(back->Bounds, p->Bounds);
        EXPECT_EQ(back->PatternWidth, p->PatternWidth);
        EXPECT_EQ(back->EditPoints, p->EditPoints);
        ASSERT_EQ(back->Items.size(), p->Items.size());
        EXPECT_EQ(back->ItemCount, static_cast<int32_t>(p->Items.size()));
        for (size_t i = 0; i < p->Items.size(); ++i) {
            EXPECT_EQ(back->Items[i]->Kind(), p->Items[i]->Kind());
            EXPECT_EQ(ObjectRecord(*back->Items[i]), ObjectRecord(*p->Items[i]));
        }
        // Written again, the same bytes.
        EXPECT_EQ(PatternFileBytes(*back), PatternFileBytes(*p));
    }
    // An empty creator writes no objects and reads back empty.
    auto empty = SamplePattern({});
    const auto bytes = PatternFileBytes(*empty);
    EXPECT_EQ(bytes.size(), 57u);
    EXPECT_EQ(I32At(bytes, 53), 0);
    EXPECT_TRUE(ReadPatternFile(bytes)->Items.empty());
}

TEST(PatternFile, BadFilesAreRefusedWithAReason) {
    const std::vector<uint8_t> good = PatternFileBytes(*RingsPattern());
    auto with = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    auto i32 = [](int32_t v) {
        std::vector<uint8_t> b(4);
        std::memcpy(b.data(), &v, 4);
        return b;
    };
    // Not a pattern file at all: told apart, so that the user hears "Unrecognised ...".
    EXPECT_THROW(ReadPatternFile({}), TNotAPatternFile);
    EXPECT_THROW(ReadPatternFile(with(0, {3})), TNotAPatternFile);
    EXPECT_THROW(ReadPatternFile(with(0, {0})), TNotAPatternFile);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message; // part of the reason
    } cases[] = {
        {"an object kind a pattern cannot hold", with(57, {7}), "Pattern Loading Error"},
        {"a count beyond the bytes left", with(53, i32(1 << 30)), "count"},
        {"a negative count", with(53, i32(-1)), "count"},
        {"an inverted rectangle", with(24, i32(-5)), "rectangle"},
        {"a newer version", with(33, i32(1012)), "newer"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ReadPatternFile(c.bytes);
            ADD_FAILURE() << "accepted";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
    // Every truncation is refused, never read past its end.
    for (size_t n = 1; n < good.size(); ++n)
        EXPECT_THROW(ReadPatternFile(std::span(good).first(n)), TReadError) << n;
}

TEST(PatternFile, OlderLayoutWithoutTheStampStartsWithEditPoints) {
    // Before the stamp: the settings begin where the version stands now, three more follow.
    std::vector<uint8_t> b = PatternFileBytes(*SamplePattern({}));
    TByteWriter w;
    w.I32(12);  // EditPoints
    w.I32(300); // PatternWidth
    w.I32(0);   // PatternHeight: brought into the tile range
    w.F32(0.f);
    w.I32(0); // no objects
    b.resize(33);
    b.insert(b.end(), w.Data().begin(), w.Data().end());
    auto p = ReadPatternFile(b);
    EXPECT_EQ(p->EditPoints, 12);
    EXPECT_EQ(p->PatternWidth, 300);
    EXPECT_EQ(p->PatternHeight, 40);
    EXPECT_EQ(p->Version, kVersionUnstamped);
}

TEST(PatternFile, FilesOnDiskAndTheShippedExamples) {
    TTempDir dir;
    const auto path = dir.Path / "Chevrons.KVP";
    SavePatternFile(path, *ChevronsPattern());
    EXPECT_EQ(LoadPatternFile(path)->Items.size(), 2u);
    // A foreign file is named in the reason.
    WriteFileAtomic(dir.Path / "other.kvp", std::vector<uint8_t>{'P', 'K', 3, 4});
    try {
        LoadPatternFile(dir.Path / "other.kvp");
        ADD_FAILURE();
    } catch (const TNotAPatternFile& e) {
        EXPECT_NE(std::string(e.what()).find("other.kvp"), std::string::npos);
    }
    WriteFileAtomic(dir.Path / "notes.txt", std::vector<uint8_t>{1});
    const auto files = PatternFiles(dir.Path);
    ASSERT_EQ(files.size(), 2u) << "KVP in any case, nothing else";
    EXPECT_EQ(files[0].filename(), "Chevrons.KVP");
    EXPECT_TRUE(PatternFiles(dir.Path / "missing").empty());

    // The files shipped in data/Patterns are what the code that makes them writes now.
    for (const TSamplePattern& sample : SamplePatterns()) {
        SCOPED_TRACE(sample.FileName);
        const auto shipped = std::filesystem::path(NL_SOURCE_DIR) / "data" / "Patterns" / sample.FileName;
        EXPECT_EQ(ReadWholeFile(shipped), PatternFileBytes(*sample.Build()));
    }
}
