#include <gtest/gtest.h>

#include <cstring>

#include "FormatTestUtil.h"
#include "core/Colour.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/ColorTable.h"
#include "formats/Palettes.h"
#include "formats/SideFile.h"

using namespace nl;
using namespace nl::test;

TEST(Palettes, NearestCodesAndTheDefaultSequence) {
    EXPECT_EQ(NearestPecCode(MakeColour(250, 250, 250)), 29); // 15 from white, 18 from 244 grey
    EXPECT_EQ(NearestPecCode(MakeColour(248, 248, 248)), 65); // 21 from white, 12 from 244 grey
    EXPECT_EQ(NearestPecCode(MakeColour(255, 255, 255)), 29);
    EXPECT_EQ(NearestPecCode(MakeColour(0, 0, 160)), 1);
    for (int code = 1; code <= PEC_PALETTE_SIZE; ++code)
        EXPECT_EQ(PecColour(NearestPecCode(PecColour(code))), PecColour(code)) << code;
    EXPECT_EQ(NearestHusIndex(MakeColour(0, 0, 0)), 0); // ties with 29: the lower index wins
    EXPECT_EQ(NearestHusIndex(MakeColour(255, 0, 0)), 3);
    EXPECT_EQ(NearestHusIndex(MakeColour(250, 250, 250)), 12);
    EXPECT_EQ(HusHsl(MakeColour(255, 0, 0)), (std::array<int32_t, 3>{0, 240, 120}));
    EXPECT_EQ(HusHsl(MakeColour(0, 0, 255)), (std::array<int32_t, 3>{159, 240, 120}));
    EXPECT_EQ(DefaultImportColour(0), PecColour(1));
    EXPECT_EQ(DefaultImportColour(64), PecColour(65));
    EXPECT_EQ(DefaultImportColour(65), HusColour(0));
    EXPECT_EQ(DefaultImportColour(94), HusColour(29));
    EXPECT_EQ(DefaultImportColour(95), PecColour(1)); // wraps round
    EXPECT_EQ(DefaultImportColour(95 * 3 + 66), HusColour(1));
}

TEST(SideFile, KeepsTheTemplateOutsideTheWrittenEntries) {
    std::vector<uint8_t> tmpl(1024);
    for (size_t i = 0; i < tmpl.size(); ++i)
        tmpl[i] = static_cast<uint8_t>(i * 7);
    auto two = BuildSideFile(tmpl, std::vector<int32_t>{0x00332211, 0x7F665544});
    ASSERT_EQ(two.size(), 1024u);
    EXPECT_EQ(0, std::memcmp(two.data(), "\x11\x22\x33\x00\x44\x55\x66\x00", 8));
    EXPECT_EQ(0, std::memcmp(two.data() + 8, tmpl.data() + 8, SIDE_MARK_OFFSET - 8));
    EXPECT_EQ(0, std::memcmp(two.data() + SIDE_MARK_OFFSET, "\xC0\xC0\xC0\x00", 4));
    EXPECT_EQ(0, std::memcmp(two.data() + 1020, tmpl.data() + 1020, 4));
    // More blocks than the template holds: the file grows, and the mark never hides a colour.
    std::vector<int32_t> many(300);
    for (size_t i = 0; i < many.size(); ++i)
        many[i] = static_cast<int32_t>(i);
    auto big = BuildSideFile(tmpl, many);
    ASSERT_EQ(big.size(), 1200u);
    TImportColours back(big);
    for (int32_t c : many)
        EXPECT_EQ(back.Next(), c);
    EXPECT_THROW(BuildSideFile(std::vector<uint8_t>(1019), many), TError);
    // The shipped template is a valid one.
    EXPECT_GE(ReadWholeFile(DataDir() / SIDE_TEMPLATE_NAME).size(), SIDE_TEMPLATE_MIN_SIZE);
}

TEST(SideFile, MissingTemplateWritesNoSideFile) {
    TTempDir dir;
    EXPECT_FALSE(WriteSideFile(dir / "a.dst", dir.Path, std::vector<int32_t>{1}));
    EXPECT_FALSE(std::filesystem::exists(dir / "a.edr"));
    EXPECT_TRUE(WriteSideFile(dir / "a.dst", DataDir(), std::vector<int32_t>{1}));
    EXPECT_TRUE(std::filesystem::exists(dir / "a.edr"));
}

TEST(ColorTable, ReadingSaysWhyATableWasRefused) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes; // empty: no file
        bool read;
        TColorTableFault fault;
    } cases[] = {
        {"valid", TableBytes(COLOR_TABLE_MAGIC, 12, 32), true, TColorTableFault::None},
        {"wrong magic", TableBytes(99104, 4, 4), false, TColorTableFault::NotATable},
        {"13 rows", TableBytes(COLOR_TABLE_MAGIC, 13, 4), false, TColorTableFault::NotATable},
        {"cut short", TableBytes(COLOR_TABLE_MAGIC, 4, 4, 100), false, TColorTableFault::LoadFailed},
        {"missing", {}, false, TColorTableFault::LoadFailed},
    };
    for (const Case& c : cases) {
        TTempDir dir;
        if (!c.bytes.empty()) WriteFileAtomic(dir / COLOR_TABLE_NAME, c.bytes);
        TColorTableFault fault = TColorTableFault::None;
        EXPECT_EQ(ReadColorTable(dir.Path, fault).has_value(), c.read) << c.what;
        EXPECT_EQ(fault, c.fault) << c.what;
    }
}
