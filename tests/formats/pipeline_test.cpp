#include <gtest/gtest.h>

#include <cstring>

#include "FormatTestUtil.h"
#include "core/FileIO.h"
#include "formats/Dst.h"
#include "formats/Export.h"
#include "formats/Import.h"
#include "formats/Palettes.h"
#include "formats/SideFile.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

} // namespace

TEST(Import, ColoursComeFromTheSideFileThenTheDefaultSequence) {
    TTempDir dir;
    // Three colour blocks.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    auto o = Direct({{0, 0, 0x111111}, {10, 0}, {20, 0, 0x222222}, {30, 0}, {40, 0, 0x333333}, {50, 0}});
    auto file = dir / "three.dst";
    ASSERT_TRUE(WriteDesign({o.get()}, file, Dst(), DataDir()));
    auto colours = [&] {
        std::vector<int32_t> c;
        auto read = ReadStitchFile(file);
        for (const TSP& p : *read)
            if (p.IsColourPoint()) c.push_back(p.ColourOrLink);
        return c;
    };
    EXPECT_EQ(colours(), (std::vector<int32_t>{0x111111, 0x222222, 0x333333}));
    // A side file too short for the design: the blocks past its end take the default sequence.
    WriteFileAtomic(SideFileName(file), Bytes(std::string("\x11\x11\x11\x00\x22\x22\x22\x00", 8)));
    EXPECT_EQ(colours(), (std::vector<int32_t>{0x111111, 0x222222, DefaultImportColour(2)}));
    std::filesystem::remove(SideFileName(file));
    EXPECT_EQ(colours(), (std::vector<int32_t>{PecColour(1), PecColour(2), PecColour(3)}));
}

TEST(Formats, NamesFiltersAndFormatCodes) {
    struct Case {
        const char* name;
        int32_t code;
    } cases[] = {{"a.dst", FORMAT_DST}, {"A.PES", FORMAT_PEC},  {"b.NlD", FORMAT_DESIGN},
                 {"c.10o", FORMAT_10O}, {"d.txt", FORMAT_NONE}, {"st", FORMAT_NONE}};
    for (auto& c : cases) {
        const TFormat* f = ExportFormatOfName(c.name);
        EXPECT_EQ(f ? f->Code : FORMAT_NONE, c.code) << c.name;
    }
    EXPECT_EQ(ForcedExportName("/x/Design.old.txt", 3), "/x/Design.dst");
    EXPECT_EQ(ForcedExportName("/x/Design", 11), "/x/Design.NlD");
    EXPECT_FALSE(ExportFormatOfName("a.NlD")->ExportSideFile());
    EXPECT_TRUE(ExportFormatOfName("a.dst")->ExportSideFile());
    std::string all(ImportFilter());
    all = all.substr(0, all.find('|', all.find('|') + 1));
    EXPECT_NE(all.find("*.pes;"), std::string::npos);
    EXPECT_EQ(ImportExtension("/p.q/a.b.DST"), "dst");
    EXPECT_EQ(ImportExtension("/p.q/design.tajima"), "");
}

TEST(Formats, DialogFiltersAreDerivedFromTheTableWordForWord) {
    EXPECT_EQ(
        ExportFilter(),
        "Brother ( *.pec )|*.pec|Viking Husqvarna ( *.hus )|*.hus|Tajima ( *.dst )|*.dst|Melco ( *.exp )|"
        "*.exp|Pfaff VIP ( *.vip )|*.vip|Pfaff ( *.ksm )|*.ksm|Barudan ( *.dat )|*.dat|Toyota ( *.10o )|"
        "*.10o|Compucon / Singer ( *.xxx )|*.xxx|Janome ( *.jef )|*.jef|Nordelune Designer ( *.NlD )|*.NlD");
    // As the dialog has always shown it, with "*.pes" also under every supported format.
    EXPECT_EQ(
        ImportFilter(),
        "All Supported File Formats | *.pes;*.pec;*.hus;*.dst;*.exp;*.vip;*.ksm;*.dat;*.10o;*.xxx;*.jef;"
        "*.NlD|Brother ( *.pes )|*.pes|Brother ( *.pec )|*.pec|Tajima ( *.dst )|*.dst|Viking Husqvarna "
        "( *.hus )|*.hus|Melco ( *.exp )|*.exp|Pfaff VIP ( *.vip )|*.vip|Pfaff ( *.ksm )|*.ksm|Barudan "
        "( *.dat )|*.dat|Toyota ( *.10o )|*.10o|Compucon / Singer ( *.xxx )|*.xxx|Janome ( *.jef )|*.jef|"
        "Nordelune Designer ( *.NlD )|*.NlD");
}

// A writer without a place in the export dialog, or a reader without one in the import dialog,
// could never be chosen. (Checked here rather than at compile time: function addresses are not
// constant expressions in a sanitizer build.)
TEST(Formats, EveryReaderAndWriterHasADialogEntry) {
    for (const TFormat& f : Formats()) {
        if (f.Write) {
            EXPECT_GT(f.ExportFilter, 0) << f.Extension;
        }
        if (f.Read) {
            EXPECT_GT(f.ImportFilter, 0) << f.Extension;
        }
    }
}

TEST(Formats, EveryFilterEntryLeadsToItsFormat) {
    // Export: the extension the entry forces and the export code written.
    const std::pair<const char*, int32_t> exports[] = {
        {".pec", FORMAT_PEC}, {".hus", FORMAT_HUS}, {".dst", FORMAT_DST},   {".exp", FORMAT_EXP},
        {".vip", FORMAT_VIP}, {".ksm", FORMAT_KSM}, {".dat", FORMAT_DAT},   {".10o", FORMAT_10O},
        {".xxx", FORMAT_XXX}, {".jef", FORMAT_JEF}, {".NlD", FORMAT_DESIGN}};
    for (int i = 1; i <= 11; ++i) {
        ASSERT_NE(ExportFormatOfFilter(i), nullptr) << i;
        EXPECT_EQ(ExportExtensionOfFilter(i), exports[i - 1].first) << i;
        EXPECT_EQ(ExportFormatOfFilter(i)->Code, exports[i - 1].second) << i;
        // The name the entry forces chooses the same format again.
        EXPECT_EQ(ExportFormatOfName("x" + ExportExtensionOfFilter(i)), ExportFormatOfFilter(i)) << i;
    }
    for (int i : {0, 12, -1})
        EXPECT_EQ(ExportExtensionOfFilter(i), "") << i;
    // Tajima, HUS and VIP are read and written by this build; the others are planned.
    for (const TFormat& f : Formats()) {
        const std::string e = f.Extension;
        EXPECT_EQ(f.Status(),
                  e == "dst" || e == "hus" || e == "vip" ? TFormatStatus::ReadWrite : TFormatStatus::Planned)
            << f.Extension;
    }

    // Import: entries 2 to 13 name one format each, whatever the file is called; PES and PEC share
    // a reader, and so do HUS and VIP.
    const char* const imports[] = {"pes", "pec", "dst", "hus", "exp", "vip",
                                   "ksm", "dat", "10o", "xxx", "jef", "NlD"};
    for (int i = 2; i <= 13; ++i) {
        const TFormat* f = ImportFormatOfFilter(i, "design.tajima");
        ASSERT_NE(f, nullptr) << i;
        EXPECT_STREQ(f->Extension, imports[i - 2]) << i;
    }
    EXPECT_EQ(ImportFormatOfFilter(2, "")->Read, ImportFormatOfFilter(3, "")->Read);
    EXPECT_EQ(ImportFormatOfFilter(5, "")->Read, ImportFormatOfFilter(7, "")->Read);
    EXPECT_EQ(ImportFormatOfFilter(4, "")->Read, &ReadDst);
    EXPECT_STREQ(ImportFormatOfFilter(4, "")->ImportStatus, " Importing Tajima Design");
    EXPECT_FALSE(ImportFormatOfFilter(3, "")->ImportSideFile()) << "PEC carries its own colours";
    // The first entry, and any index outside the filter, go by the extension.
    for (int i : {1, 0, 14})
        EXPECT_STREQ(ImportFormatOfFilter(i, "/p.q/a.b.DST")->Extension, "dst") << i;
    EXPECT_EQ(ImportFormatOfFilter(1, "design.tajima"), nullptr);
    EXPECT_STREQ(ImportFormatOfFilter(1, "x.NLD")->Extension, "NlD");
}

TEST(Import, OnePathChoosesTheFormatReadsAndKeepsTheReason) {
    TTempDir dir;
    auto star = ReadWholeFile(Fixture("Star.DST"));
    WriteFileAtomic(dir / "star.dst", star);
    WriteFileAtomic(dir / "design.tajima", star);
    WriteFileAtomic(dir / "x.pes", star);
    WriteFileAtomic(dir / "short.dst", std::vector<uint8_t>{'L', 'A', ':'});
    std::string empty = "LA:" + std::string(DST_HEADER_SIZE - 3, ' ') + std::string("\0\0\xF3", 3);
    WriteFileAtomic(dir / "empty.dst", std::vector<uint8_t>(empty.begin(), empty.end()));
    struct Case {
        const char* name;
        int filter;
        TImportFault fault;
        const char* reason; // the start of it
    } cases[] = {
        {"design.tajima", 1, TImportFault::UnknownFormat, "not a stitch file this program knows"},
        {"x.pes", 1, TImportFault::NoReader, "this file format cannot be read yet"},
        {"star.dst", 2, TImportFault::NoReader, "this file format cannot be read yet"},
        {"missing.dst", 1, TImportFault::CannotOpen, "cannot open the file"},
        {"short.dst", 1, TImportFault::Damaged, "not a Tajima DST file"},
        {"empty.dst", 1, TImportFault::NoStitches, "the file holds no stitches"},
    };
    for (const Case& c : cases) {
        const std::string file = (dir / c.name).string();
        try {
            ReadStitchFile(file, c.filter);
            ADD_FAILURE() << c.name << " was read";
        } catch (const TImportError& e) {
            EXPECT_EQ(e.Fault, c.fault) << c.name;
            EXPECT_EQ(e.File, file);
            EXPECT_EQ(e.Reason.rfind(c.reason, 0), 0u) << e.Reason;
            EXPECT_EQ(std::string(e.what()), file + ": " + e.Reason);
        }
    }
    // The entry of the Tajima format reads a file of any name.
    EXPECT_EQ(ReadStitchFile(dir / "design.tajima", 4)->Count(), 2550);
}

TEST(Convert, ARealFileConvertedAgainAndAgainKeepsItsStitches) {
    // Star.DST through our reader and writer four times. Our writer puts zero-length tie stitches
    // around each colour change and at the end of each object; read back as points they were
    // written again with ties of their own, and the design grew with every conversion.
    TTempDir dir;
    auto original = ReadStitchFile(Fixture("Star.DST"));
    ASSERT_EQ(original->Count(), 2550);
    std::filesystem::path in = Fixture("Star.DST");
    std::vector<uint8_t> previous;
    for (int round = 1; round <= 4; ++round) {
        SCOPED_TRACE(round);
        auto object = ReadStitchFile(in);
        TSew sew;
        const int32_t group = AddImport(sew, std::move(object))->GroupId;
        const auto out = dir / ("round" + std::to_string(round) + ".dst");
        WriteDesign(sew.BuildStitchOrder(group), out, Dst(), DataDir());
        auto back = ReadStitchFile(out);
        ASSERT_EQ(back->Count(), original->Count());
        for (int32_t i = 0; i < back->Count(); ++i) {
            const TSP &a = (*original)[i], &b = (*back)[i];
            ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.IsColourPoint() == b.IsColourPoint()) << "point " << i;
            if (a.IsColourPoint()) {
                EXPECT_EQ(a.ColourOrLink, b.ColourOrLink) << "point " << i;
            }
        }
        // From the first conversion on, the files are the same to the byte.
        auto bytes = ReadWholeFile(out);
        if (!previous.empty()) {
            EXPECT_EQ(bytes, previous);
        }
        previous = bytes;
        in = out;
    }
}
