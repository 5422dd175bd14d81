#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/Numeric.h"

using namespace nl;

TEST(BinaryIO, FieldsAreLittleEndianAndReadBack) {
    TByteWriter w;
    w.U8(7);
    w.I32(-2);
    w.U32(0x01020304);
    w.F32(1.5f);
    w.F64(-2.25);
    w.String("abc");
    const auto& d = w.Data();
    EXPECT_EQ(d[5], 0x04);
    EXPECT_EQ(d[8], 0x01);
    TByteReader r(d);
    EXPECT_EQ(r.U8(), 7);
    EXPECT_EQ(r.I32(), -2);
    EXPECT_EQ(r.U32(), 0x01020304u);
    EXPECT_EQ(r.F32(), 1.5f);
    EXPECT_EQ(r.F64(), -2.25);
    EXPECT_EQ(r.String(), "abc");
    EXPECT_TRUE(r.AtEnd());
    EXPECT_THROW(r.U8(), TReadError);
}

TEST(BinaryIO, CountsAreCheckedAgainstTheBytesLeft) {
    struct Case {
        int32_t count;
        size_t following;
        bool ok;
    } cases[] = {{0, 0, true}, {3, 36, true}, {4, 36, false}, {-1, 100, false}, {INT32_MAX, 12, false}};
    for (auto c : cases) {
        TByteWriter w;
        w.I32(c.count);
        w.Fill(0, c.following);
        TByteReader r(w.Data());
        if (c.ok) EXPECT_EQ(r.Count(12), c.count);
        else EXPECT_THROW(r.Count(12), TReadError) << c.count;
    }
}

TEST(Numeric, RoundsHalfToEvenAndSaturates) {
    EXPECT_EQ(RoundI(2.5), 2);
    EXPECT_EQ(RoundI(3.5), 4);
    EXPECT_EQ(RoundI(-2.5), -2);
    EXPECT_EQ(RoundI(1e30), INT32_MAX);
    EXPECT_EQ(RoundI(std::nan("")), 0);
}

TEST(FileIO, AtomicWriteReplacesOrLeavesTheOldFile) {
    auto dir = std::filesystem::temp_directory_path() / "nl_fileio_test";
    std::filesystem::create_directories(dir);
    auto path = dir / "a.bin";
    std::vector<uint8_t> one{1, 2, 3}, two{4, 5};
    WriteFileAtomic(path, one);
    WriteFileAtomic(path, two);
    EXPECT_EQ(ReadWholeFile(path), two);
    // A folder that does not exist: the write fails with a message naming the file.
    try {
        WriteFileAtomic(dir / "missing" / "b.bin", one);
        FAIL();
    } catch (const TError& e) {
        EXPECT_NE(std::string(e.what()).find("b.bin"), std::string::npos);
    }
    EXPECT_EQ(ReadWholeFile(path), two);
    EXPECT_THROW(ReadWholeFile(dir / "nope.bin"), TReadError);
    std::filesystem::remove_all(dir);
}
