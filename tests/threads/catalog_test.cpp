#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/BinaryIO.h"
#include "core/Colour.h"
#include "core/Errors.h"
#include "threads/Catalog.h"

using namespace nl;

namespace {

TCD Entry(const std::string& number, const std::string& name, int32_t colour) {
    TCD e;
    e.CatalogNumber = number;
    e.Description = name;
    e.Colour = colour;
    return e;
}

TCatData Catalog(std::vector<TCD> entries) {
    TCatData c;
    c.Manufacturer = "Maker";
    c.ThreadType = "Rayon";
    c.Entries = std::move(entries);
    return c;
}

std::vector<int32_t> Order(const TCatData& c, TThreadSort sort) {
    std::vector<int32_t> v;
    for (const TCD& e : c.Entries)
        v.push_back(OrderField(e, sort));
    return v;
}

std::vector<std::string> Shown(const TCatData& c, TThreadSort sort) {
    std::vector<std::string> v;
    for (size_t i = 0; i < c.Entries.size(); ++i)
        v.push_back(EntryAt(c, sort, i).Description);
    return v;
}

void PutI32(std::vector<uint8_t>& b, int32_t v) {
    uint8_t x[4];
    std::memcpy(x, &v, 4);
    b.insert(b.end(), x, x + 4);
}
void PutStr(std::vector<uint8_t>& b, const std::string& s) {
    PutI32(b, static_cast<int32_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
}

} // namespace

TEST(CatalogLightness, MatchesRoundedHslLightnessForEveryChannelSum) {
    // Every max + min from 0 to 510, against the real formula rounded half to even.
    for (int s = 0; s <= 510; ++s) {
        int mx = std::min(255, s), mn = s - mx;
        double expected = std::nearbyint((mx / 255.0 + mn / 255.0) / 2.0 * 240.0);
        EXPECT_EQ(Lightness(MakeColour(mx, mn, mn)), static_cast<int32_t>(expected)) << s;
    }
    EXPECT_EQ(Lightness(MakeColour(255, 255, 255)), 240);
    EXPECT_EQ(Lightness(MakeColour(255, 0, 0)), 120);
    EXPECT_EQ(Lightness(MakeColour(0, 0, 0)), 0);
}

TEST(CatalogFile, RecordLayoutByteByByte) {
    TCatData c =
        Catalog({Entry("12", "Red", MakeColour(200, 10, 20)), Entry("3", "Blue", MakeColour(0, 0, 255))});
    c.Info = "info";
    c.ListPosition = 7;
    c.Enabled = true;
    c.Entries[0].Reserved = 0;
    ComputeOrders(c);
    c.Entries[1].EntryIndex = 99; // set again when written
    auto bytes = EncodeCatalog(c);

    std::vector<uint8_t> want;
    PutI32(want, 191376);
    PutStr(want, "NordeluneColorCatalogV1.00(06-03-2006)");
    PutStr(want, "info");
    PutStr(want, "Maker");
    PutStr(want, "Rayon");
    PutI32(want, 7);
    want.push_back(1);
    PutI32(want, 2);
    // Entry 0 "12" Red (lightness 99), entry 1 "3" Blue (lightness 120).
    // Colour order: Blue then Red -> 1, 0. Name order: Blue, Red -> 1, 0. Number order: "12" < "3" -> 0, 1.
    for (int32_t v : {0x00140AC8, 1, 1, 0, 0, 0})
        PutI32(want, v);
    PutStr(want, "Red");
    PutStr(want, "12");
    for (int32_t v : {0x00FF0000, 0, 0, 1, 1, 0})
        PutI32(want, v);
    PutStr(want, "Blue");
    PutStr(want, "3");
    ASSERT_EQ(bytes.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(bytes[i], want[i]) << "offset " << i;
    EXPECT_EQ(c.Entries[1].EntryIndex, 1);

    TCatData back;
    ASSERT_TRUE(ParseCatalog(bytes, back));
    EXPECT_EQ(back.Info, "info");
    EXPECT_EQ(back.Manufacturer, "Maker");
    EXPECT_EQ(back.ThreadType, "Rayon");
    EXPECT_EQ(back.ListPosition, 7);
    EXPECT_TRUE(back.Enabled);
    ASSERT_EQ(back.Entries.size(), 2u);
    EXPECT_EQ(back.EntryCount, 2);
    EXPECT_EQ(back.Entries[0].Colour, c.Entries[0].Colour);
    EXPECT_EQ(back.Entries[1].CatalogNumber, "3");
    EXPECT_EQ(Order(back, TThreadSort::Colour), Order(c, TThreadSort::Colour));

    TCatData header;
    ASSERT_TRUE(ParseCatalog(bytes, header, true));
    EXPECT_EQ(header.EntryCount, 2);
    EXPECT_TRUE(header.Entries.empty());
}

TEST(CatalogFile, NewCatalogHoldsTheDefaults) {
    TCatData c = NewCatalog("Acme", "Silk");
    EXPECT_EQ(c.Info, " General Color Thread Infomation Can Be Placed Here");
    EXPECT_EQ(c.ListPosition, 9999999);
    EXPECT_FALSE(c.Enabled);
    ASSERT_EQ(c.Entries.size(), 1u);
    EXPECT_EQ(c.Entries[0].Colour, 255);
    EXPECT_EQ(c.Entries[0].Description, "Thread Color Description Goes Here.");
    EXPECT_EQ(c.Entries[0].CatalogNumber, "1");
    ComputeOrders(c);
    EXPECT_EQ(Order(c, TThreadSort::Number), std::vector<int32_t>{0});
    EXPECT_EQ(Order(c, TThreadSort::Name), std::vector<int32_t>{0});
    EXPECT_EQ(Order(c, TThreadSort::Colour), std::vector<int32_t>{0});
    // A fresh entry of the manager.
    TCD e;
    EXPECT_EQ(e.Description, "New Entry Text Goes Here");
    EXPECT_EQ(e.CatalogNumber, "Not Defined");
}

TEST(CatalogOrders, NumberNameAndColourOrders) {
    const int32_t light = MakeColour(200, 200, 255), mid = MakeColour(0, 0, 255), dark = MakeColour(0, 0, 80);
    TCatData c = Catalog({
        Entry("9", "Blue", dark),        // 0
        Entry("10", "Bluebell", light),  // 1
        Entry("2", "Blue, Navy", light), // 2
        Entry("1", "  blue sky", mid),   // 3 leading blanks, lower case: a "BLUE" word
        Entry("5", "Blue Sky", mid),     // 4
        Entry("3", "Amber", dark),       // 5
    });
    ComputeOrders(c);
    // Byte-wise numbers: "1" < "10" < "2" < "3" < "5" < "9".
    EXPECT_EQ(Order(c, TThreadSort::Number), (std::vector<int32_t>{3, 1, 2, 5, 4, 0}));
    // Byte-wise names: "  blue sky", "Amber", "Blue", "Blue Sky", "Blue, Navy", "Bluebell".
    // "  blue sky" starts its own run (the next name is Amber); Blue / Blue Sky / Blue, Navy form one
    // run ordered light to dark; Bluebell is another word.
    EXPECT_EQ(Shown(c, TThreadSort::Name), (std::vector<std::string>{"  blue sky", "Amber", "Blue, Navy",
                                                                     "Blue Sky", "Blue", "Bluebell"}));
    // Lightest first, equal lightness in file order.
    EXPECT_EQ(Order(c, TThreadSort::Colour), (std::vector<int32_t>{1, 2, 3, 4, 0, 5}));
}

TEST(CatalogOrders, ATabBelongsToTheFirstWord) {
    // The first word ends at a blank or a comma, not at a tab: "Blue<tab>Navy" is a word of its
    // own and parts "Blue" from "Blue Sky"; a leading tab is not skipped as leading blanks are.
    const int32_t light = MakeColour(200, 200, 255), mid = MakeColour(0, 0, 255), dark = MakeColour(0, 0, 80);
    TCatData c = Catalog({
        Entry("1", "Blue", dark),        // 0
        Entry("2", "Blue\tNavy", light), // 1
        Entry("3", "Blue Sky", mid),     // 2
        Entry("4", "Blue Ice", light),   // 3
        Entry("5", "\tBlue", light),     // 4
    });
    ComputeOrders(c);
    // Byte-wise: "\tBlue", "Blue", "Blue\tNavy", "Blue Ice", "Blue Sky". Runs: "\tBLUE" alone,
    // "BLUE" alone, "BLUE\tNAVY" alone, then Blue Ice / Blue Sky ordered light to dark.
    EXPECT_EQ(Shown(c, TThreadSort::Name),
              (std::vector<std::string>{"\tBlue", "Blue", "Blue\tNavy", "Blue Ice", "Blue Sky"}));
}

TEST(CatalogOrders, OrdersFromAFileAreRepairedOnlyWhenTheyAreNotPermutations) {
    TCatData c = Catalog({Entry("1", "A", 0), Entry("2", "B", 0x00FFFFFF), Entry("3", "C", 0x808080)});
    ComputeOrders(c);
    auto computed = c;
    // A permutation other than ours is kept as the file says.
    c.Entries[0].NumberOrder = 2;
    c.Entries[1].NumberOrder = 0;
    c.Entries[2].NumberOrder = 1;
    // Broken: a repeat, a negative value, a value past the end.
    struct TCase {
        int32_t a, b, c;
    };
    for (TCase bad : {TCase{0, 0, 1}, TCase{-1, 0, 1}, TCase{0, 1, 3}, TCase{INT32_MIN, 1, 2}}) {
        TCatData t = c;
        t.Entries[0].NameOrder = bad.a;
        t.Entries[1].NameOrder = bad.b;
        t.Entries[2].NameOrder = bad.c;
        t.Entries[0].ColourOrder = bad.c;
        t.Entries[1].ColourOrder = bad.a;
        t.Entries[2].ColourOrder = bad.b;
        auto bytes = EncodeCatalog(t);
        TCatData back;
        ASSERT_TRUE(ParseCatalog(bytes, back));
        EXPECT_EQ(Order(back, TThreadSort::Number), (std::vector<int32_t>{2, 0, 1}));
        EXPECT_EQ(Order(back, TThreadSort::Name), Order(computed, TThreadSort::Name));
        EXPECT_EQ(Order(back, TThreadSort::Colour), Order(computed, TThreadSort::Colour));
    }
}

TEST(CatalogFile, ThreadColoursFromAFileAreRgb) {
    // Bits above the colour (one such value is the "no colour" marker) are dropped on reading, so
    // every thread can be matched and chosen.
    TCatData c = Catalog({Entry("1", "A", NO_COLOUR), Entry("2", "B", static_cast<int32_t>(0xFF123456u))});
    ComputeOrders(c);
    TCatData back;
    ASSERT_TRUE(ParseCatalog(EncodeCatalog(c), back));
    EXPECT_EQ(back.Entries[0].Colour, 0xFFFFFF);
    EXPECT_EQ(back.Entries[1].Colour, 0x123456);
}

TEST(CatalogFile, DamagedFilesAreRefusedWithoutAllocatingFromTheirCounts) {
    TCatData c = Catalog({Entry("1", "Red", 255), Entry("2", "Green", 0xFF00)});
    ComputeOrders(c);
    const auto good = EncodeCatalog(c);
    // Every truncation is refused with a read error; none crashes.
    for (size_t n = 4; n < good.size(); ++n) {
        TCatData out;
        EXPECT_THROW(ParseCatalog(std::span(good).first(n), out), TReadError) << n;
    }
    // Not a catalog: another magic, or too short for one.
    for (std::vector<uint8_t> b :
         {std::vector<uint8_t>{1, 2, 3, 4, 5}, std::vector<uint8_t>{}, std::vector<uint8_t>{0x90}}) {
        TCatData out;
        EXPECT_FALSE(ParseCatalog(b, out));
    }
    const size_t countAt = 4 + (4 + 38) + (4 + c.Info.size()) + (4 + 5) + (4 + 5) + 4 + 1;
    auto patched = [&](size_t at, int32_t v) {
        auto b = good;
        std::memcpy(b.data() + at, &v, 4);
        return b;
    };
    struct TCase {
        size_t At;
        int32_t Value;
        const char* What;
    };
    for (TCase k :
         {TCase{countAt, 0x7FFFFFFF, "huge entry count"}, TCase{countAt, -1, "negative entry count"},
          TCase{countAt, 3, "one entry more than the file holds"}, TCase{4, 0x7FFFFFF0, "huge header length"},
          TCase{4, -5, "negative header length"},
          TCase{countAt + 4 + 24, 1 << 30, "huge description length"}}) {
        TCatData out;
        EXPECT_THROW(ParseCatalog(patched(k.At, k.Value), out), TReadError) << k.What;
    }
}
