#include <gtest/gtest.h>

#include <cstring>

#include "FormatTestUtil.h"
#include "core/FileIO.h"
#include "formats/Dst.h"
#include "formats/Export.h"
#include "formats/Import.h"
#include "formats/Palettes.h"
#include "formats/SideFile.h"
#include "platform/ScriptedHost.h"
#include "worksheet/Sew.h"

using namespace nl;
using namespace nl::test;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

// An outline-like object that records how it was regenerated.
class TCountingObject : public TSLStitch {
public:
    void GenerateOutline(const TStitchContext& ctx) override { Generations.push_back(ctx.ForExport); }
    std::vector<bool> Generations;
};

TSLStitch* AddDirect(TSew& sew, int32_t group, std::unique_ptr<TSLStitch> o) {
    o->GroupId = group;
    sew.Groups.Add(group);
    return sew.Add(std::move(o));
}

struct TExportFixture {
    TTempDir Dir;
    TSew Sew;
    TScriptedHost Host;
    TStitchContext Ctx;
    // The program folder is a temporary one holding the shipped template.
    TExportFixture() {
        Host.Folder = Dir.Path.string();
        std::filesystem::copy_file(DataDir() / SIDE_TEMPLATE_NAME, Dir / SIDE_TEMPLATE_NAME);
    }
};

} // namespace

TEST(Import, ChoosesTheReaderByTheLastExtensionOrRefusesWithTheExtension) {
    TExportFixture f;
    struct Case {
        std::string name;
        bool read;
        std::string ext;
    } cases[] = {
        {"a.b.DST", true, ""}, {"design.tajima", false, ""}, {"x.pes", false, "pes"}, {"noext", false, ""}};
    auto dst = ReadWholeFile(Fixture("Star.DST"));
    for (auto& c : cases) {
        f.Host.Messages.clear();
        WriteFileAtomic(f.Dir / c.name, dst);
        TSLStitch* o = ImportStitchFile(f.Sew, f.Dir / c.name, f.Host, 0, 0);
        EXPECT_EQ(o != nullptr, c.read) << c.name;
        if (c.read) continue;
        ASSERT_EQ(f.Host.Messages.size(), 1u) << c.name;
        EXPECT_EQ(f.Host.Messages[0].Heading, "Error Opening Import");
        EXPECT_EQ(f.Host.Messages[0].Text,
                  "This File extention ( " + c.ext + " ) is not currently supported by Nordelune");
    }
    TImportSession session;
    ImportStitchFile(f.Sew, f.Dir / "design.tajima", f.Host, 0, 0, 1, &session);
    EXPECT_EQ(session.FileName, "Undefined");
    // The filter index chooses the reader whatever the extension.
    EXPECT_NE(ImportStitchFile(f.Sew, f.Dir / "design.tajima", f.Host, 0, 0, 4), nullptr);
}

TEST(Import, AddsOneDirectObjectInANewGroupAtThePlacementPoint) {
    TExportFixture f;
    auto file = f.Dir / "star.dst";
    WriteFileAtomic(file, ReadWholeFile(Fixture("Star.DST")));
    TSLStitch* a = ImportStitchFile(f.Sew, file, f.Host, 0, 0);
    TSLStitch* b = ImportStitchFile(f.Sew, file, f.Host, 100.5f, -40);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(f.Sew.Count(), 2);
    EXPECT_EQ(a->Kind(), KIND_STITCH);
    EXPECT_EQ(a->Flags, OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE);
    EXPECT_NE(a->GroupId, b->GroupId);
    EXPECT_TRUE(f.Sew.Groups.Contains(a->GroupId));
    ASSERT_EQ(a->Count(), b->Count());
    for (int32_t i = 0; i < a->Count(); i += 97) {
        EXPECT_FLOAT_EQ((*b)[i].X - (*a)[i].X, 100.5f);
        EXPECT_FLOAT_EQ((*b)[i].Y - (*a)[i].Y, -40);
    }
    // The bounds an import computes on the fly are the ones the object computes itself.
    for (TSLStitch* o : {a, b}) {
        TKvRect fast = o->Bounds;
        o->UpdateBounds(TStitchContext{});
        EXPECT_EQ(fast, o->Bounds);
        EXPECT_FALSE(fast.empty);
    }
    EXPECT_EQ(f.Host.Status, "");
    EXPECT_TRUE(f.Host.Messages.empty());
}

TEST(Import, RefusesBadFilesWithTheirMessagesAndAddsNothing) {
    TExportFixture f;
    std::string noStitch = "LA:" + std::string(DST_HEADER_SIZE - 3, ' ') + std::string("\0\0\xF3", 3);
    WriteFileAtomic(f.Dir / "empty.dst", Bytes(noStitch));
    WriteFileAtomic(f.Dir / "short.dst", Bytes("LA:nothing more"));
    struct Case {
        std::string name, heading, text;
    } cases[] = {
        {"empty.dst", "Import Stitch File",
         (f.Dir / "empty.dst").string() + " : The File Holds No Stitches. Nothing Was Imported."},
        {"short.dst", (f.Dir / "short.dst").string() + "Unexpected Format", "File Error"},
        {"missing.dst", "Data Modified",
         (f.Dir / "missing.dst").string() + " : Unable To Load Import Stitch File "},
    };
    for (auto& c : cases) {
        f.Host.Messages.clear();
        EXPECT_EQ(ImportStitchFile(f.Sew, f.Dir / c.name, f.Host, 0, 0), nullptr);
        ASSERT_EQ(f.Host.Messages.size(), 1u) << c.name;
        EXPECT_EQ(f.Host.Messages[0].Heading, c.heading);
        EXPECT_EQ(f.Host.Messages[0].Text, c.text);
        EXPECT_EQ(f.Host.Status, "");
    }
    EXPECT_EQ(f.Sew.Count(), 0);
    EXPECT_EQ(f.Sew.Groups.Count(), 0);
}

TEST(Import, ColoursComeFromTheSideFileThenTheDefaultSequence) {
    TExportFixture f;
    // Three colour blocks.
    std::vector<std::unique_ptr<TSLStitch>> objs;
    auto o = Direct({{0, 0, 0x111111}, {10, 0}, {20, 0, 0x222222}, {30, 0}, {40, 0, 0x333333}, {50, 0}});
    auto file = f.Dir / "three.dst";
    ASSERT_TRUE(WriteDesign({o.get()}, file, FORMAT_DST, DataDir()));
    auto colours = [&] {
        std::vector<int32_t> c;
        auto read = ReadStitchFile(file, TReaderKind::Dst);
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

TEST(Export, WritesTheGroupAndItsSideFileAndRestoresTheEditingState) {
    TExportFixture f;
    auto* a = static_cast<TCountingObject*>(AddDirect(f.Sew, 3, std::make_unique<TCountingObject>()));
    a->Flags = OF_VISIBLE;
    a->Append(TSP::Colour(0, 0, 0, 0x0000FF));
    a->Append(TSP::Plain(0, 40, 0));
    auto* b = AddDirect(f.Sew, 3, Direct({{40, 40, 0x00FF00}, {80, 40}}));
    AddDirect(f.Sew, 4, Direct({{900, 900, 0xFFFFFF}, {910, 900}})); // another design
    b->OrderIndex = 0;
    a->OrderIndex = 1;
    auto file = f.Dir / "out.dst";
    ASSERT_TRUE(ExportDesign(f.Sew, 3, file, FORMAT_DST, f.Host, f.Ctx));
    EXPECT_TRUE(f.Host.Messages.empty());
    EXPECT_EQ(a->Generations, (std::vector<bool>{true, false}));
    EXPECT_FALSE(a->Flags & OF_GENERATE_HIDDEN);
    auto back = ReadStitchFile(file, TReaderKind::Dst);
    std::vector<int32_t> colours;
    for (const TSP& p : *back)
        if (p.IsColourPoint()) colours.push_back(p.ColourOrLink);
    EXPECT_EQ(colours, (std::vector<int32_t>{0x00FF00, 0x0000FF})); // b is sewn first
    auto side = ReadWholeFile(SideFileName(file));
    auto tmpl = ReadWholeFile(DataDir() / "T.edr");
    ASSERT_EQ(side.size(), tmpl.size());
    EXPECT_EQ(0, std::memcmp(side.data(), "\x00\xFF\x00\x00\xFF\x00\x00\x00", 8));
    EXPECT_EQ(0, std::memcmp(side.data() + 8, tmpl.data() + 8, SIDE_MARK_OFFSET - 8));
    EXPECT_EQ(0, std::memcmp(side.data() + SIDE_MARK_OFFSET, "\xC0\xC0\xC0\x00", 4));
}

TEST(Export, AsksBeforeOverwritingAndNoKeepsTheFile) {
    TExportFixture f;
    AddDirect(f.Sew, 1, Direct({{0, 0, 1}, {10, 0}}));
    auto file = f.Dir / "keep.dst";
    WriteFileAtomic(file, Bytes("previous"));
    f.Host.Answers = {TButton::No};
    EXPECT_FALSE(ExportDesign(f.Sew, 1, file, FORMAT_DST, f.Host, f.Ctx));
    ASSERT_EQ(f.Host.Messages.size(), 1u);
    EXPECT_EQ(f.Host.Messages[0].Heading, "Expotring File");
    EXPECT_EQ(f.Host.Messages[0].Text, "File Already Exists. OK To Overwrite ?");
    EXPECT_EQ(f.Host.Messages[0].Buttons, TButton::Yes | TButton::No);
    EXPECT_EQ(ReadWholeFile(file), Bytes("previous"));
    f.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(ExportDesign(f.Sew, 1, file, FORMAT_DST, f.Host, f.Ctx));
    EXPECT_NE(ReadWholeFile(file), Bytes("previous"));
}

TEST(Export, FailuresWriteNothingReportAndRestore) {
    TExportFixture f;
    auto* a = static_cast<TCountingObject*>(AddDirect(f.Sew, 1, std::make_unique<TCountingObject>()));
    a->Flags = OF_VISIBLE; // no points: the design is empty
    AddDirect(f.Sew, 2, Direct({{0, 0, 1}, {10, 0}}));
    std::filesystem::create_directories(f.Dir / "taken.dst");
    struct Case {
        int32_t group;
        std::filesystem::path file;
        int32_t format;
    } cases[] = {
        {1, f.Dir / "empty.dst", FORMAT_DST},         // no stitches
        {2, f.Dir / "no" / "folder.dst", FORMAT_DST}, // cannot be written
        {2, f.Dir / "taken.dst", FORMAT_DST},         // a folder stands there
        {2, f.Dir / "later.pec", FORMAT_PEC},         // not a writer of this build
    };
    for (auto& c : cases) {
        f.Host.Messages.clear();
        f.Host.Answers = {TButton::Yes};
        EXPECT_FALSE(ExportDesign(f.Sew, c.group, c.file, c.format, f.Host, f.Ctx)) << c.file;
        ASSERT_FALSE(f.Host.Messages.empty());
        EXPECT_EQ(f.Host.Messages.back().Heading, "Expotring File");
        EXPECT_EQ(f.Host.Messages.back().Text.rfind(c.file.string() + ": ", 0), 0u)
            << f.Host.Messages.back().Text;
        EXPECT_FALSE(std::filesystem::is_regular_file(c.file));
        EXPECT_FALSE(std::filesystem::exists(SideFileName(c.file)));
    }
    EXPECT_TRUE(std::filesystem::is_directory(f.Dir / "taken.dst"));
    EXPECT_EQ(a->Generations, (std::vector<bool>{true, false}));
    for (auto& e : std::filesystem::directory_iterator(f.Dir.Path))
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    EXPECT_EQ(ReadWholeFile(f.Dir / SIDE_TEMPLATE_NAME), ReadWholeFile(DataDir() / SIDE_TEMPLATE_NAME));
}

TEST(Export, CommandForcesTheFilterExtensionOnTheBaseName) {
    TExportFixture f;
    auto* o = AddDirect(f.Sew, 1, Direct({{0, 0, 1}, {10, 0}}));
    f.Sew.SetCurrent(o);
    TExportSession session;
    f.Host.FileAnswers.push_back({true, (f.Dir / "Design.old.txt").string(), 3});
    EXPECT_TRUE(RunExportCommand(f.Sew, f.Host, session, f.Ctx));
    ASSERT_EQ(f.Host.FileRequests.size(), 1u);
    EXPECT_EQ(f.Host.FileRequests[0].Filter, EXPORT_FILTER);
    EXPECT_EQ(f.Host.FileRequests[0].FilterIndex, 3);
    EXPECT_EQ(f.Host.FileRequests[0].InitialDir, (f.Dir / "Exported").string());
    EXPECT_TRUE(std::filesystem::is_directory(f.Dir / "Exported"));
    EXPECT_TRUE(std::filesystem::is_regular_file(f.Dir / "Design.dst"));
    EXPECT_TRUE(std::filesystem::is_regular_file(f.Dir / "Design.edr"));
    EXPECT_EQ(session.FileName, (f.Dir / "Design.dst").string());
    // Cancelled: nothing happens.
    EXPECT_FALSE(RunExportCommand(f.Sew, f.Host, session, f.Ctx));
    EXPECT_EQ(f.Host.FileRequests.back().InitialDir, f.Dir.Path.string());
}

TEST(Formats, NamesFiltersAndFormatCodes) {
    struct Case {
        const char* name;
        int32_t code;
    } cases[] = {{"a.dst", FORMAT_DST}, {"A.PES", FORMAT_PEC},  {"b.NlD", FORMAT_DESIGN},
                 {"c.10o", FORMAT_10O}, {"d.txt", FORMAT_NONE}, {"st", FORMAT_NONE}};
    for (auto& c : cases)
        EXPECT_EQ(ExportFormatOfName(c.name), c.code) << c.name;
    EXPECT_EQ(ForcedExportName("/x/Design.old.txt", 3), "/x/Design.dst");
    EXPECT_EQ(ForcedExportName("/x/Design", 11), "/x/Design.NlD");
    EXPECT_FALSE(FormatHasSideFile(FORMAT_DESIGN));
    EXPECT_TRUE(FormatHasSideFile(FORMAT_DST));
    std::string all(IMPORT_FILTER);
    all = all.substr(0, all.find('|', all.find('|') + 1));
    EXPECT_NE(all.find("*.pes;"), std::string::npos);
    EXPECT_EQ(ImportExtension("/p.q/a.b.DST"), "dst");
    EXPECT_EQ(ImportExtension("/p.q/design.tajima"), "");
}
