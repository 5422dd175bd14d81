// The file commands of the main window: export of a group and import at a click through the
// controller, and the dialog halves around the format library (questions, messages, the reader's
// reason), all answered by a scripted host.
#include <cstring>
#include <filesystem>

#include "../formats/FormatTestUtil.h"
#include "Fixture.h"
#include "app/FileCommands.h"
#include "core/FileIO.h"
#include "formats/ColorTable.h"
#include "formats/Dst.h"
#include "formats/SideFile.h"

using namespace nl;
using nl::test::DataDir;
using nl::test::Direct;
using nl::test::Fixture;
using nl::test::TableBytes;
using nl::test::TShell;
using nl::test::TTempDir;

namespace {
namespace fs = std::filesystem;

TFileDialogResult Answer(const fs::path& file, int filterIndex) {
    TFileDialogResult r;
    r.Accepted = true;
    r.FileName = file.string();
    r.FilterIndex = filterIndex;
    return r;
}

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

TEST(FileCommands, ImportIsAlwaysOnExportNeedsAGroup) {
    TShell s;
    for (TCommand c : {TCommand::ImportStitching, TCommand::FileImport, TCommand::ImportButton})
        EXPECT_TRUE(s.Nl.IsEnabled(c));
    // Export needs a selection of grouped objects in layout mode.
    s.Direct(100, 100, 3);
    s.Nl.Execute(TCommand::ModeLayout);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::ExportStitching));
    s.Click(110, 100);
    EXPECT_FALSE(s.Nl.IsEnabled(TCommand::ExportStitching)) << "not grouped";
    s.Host.Answers = {TButton::Yes};
    s.Nl.Execute(TCommand::GroupSelection);
    EXPECT_TRUE(s.Nl.IsEnabled(TCommand::ExportStitching));
}

TEST(FileCommands, ExportAGroupThenImportItBackAtAClick) {
    TTempDir dir;
    TShell s;
    TFileState* state = &s.Nl.Files;
    s.Nl.Execute(TCommand::CreateDirect);
    for (auto [x, y] : {std::pair{100, 100}, {160, 130}, {220, 100}, {260, 180}})
        s.Click(x, y);
    s.RightClick(0, 0);
    TSLStitch* o = s.Nl.Sew[s.Nl.Sew.Count() - 1];
    ASSERT_EQ(o->Count(), 4);

    s.Nl.Execute(TCommand::ModeLayout);
    s.Click(160, 130);
    s.Host.Answers = {TButton::Yes};
    s.Nl.Execute(TCommand::GroupSelection);
    ASSERT_GT(o->GroupId, 0);

    const fs::path dst = dir.Path / "design.dst";
    s.Host.FileAnswers = {Answer(dir.Path / "design", 3)}; // the Tajima filter forces ".dst"
    s.Nl.Execute(TCommand::ExportStitching);
    ASSERT_FALSE(s.Host.FileRequests.empty());
    EXPECT_EQ(s.Host.FileRequests.back().Title, "Export Stitching To ...");
    ASSERT_TRUE(fs::exists(dst)) << (s.Host.Messages.empty() ? "" : s.Host.Messages.back().Text);
    EXPECT_GT(fs::file_size(dst), 512u);
    EXPECT_EQ(s.Nl.Sew.Settings.Export.FileName, dst.string());

    // Import: the command waits for the click that places the design.
    s.Nl.Execute(TCommand::ImportStitching);
    EXPECT_EQ(s.Nl.Placement(), TPlacement::Import);
    const int32_t before = s.Nl.Sew.Count();
    s.Host.FileAnswers = {Answer(dst, 1)};
    s.Click(500, 400);
    EXPECT_EQ(s.Nl.Placement(), TPlacement::None);
    EXPECT_EQ(s.Host.FileRequests.back().Title, "Import Stitching From ...");
    ASSERT_EQ(s.Nl.Sew.Count(), before + 1);
    TSLStitch* in = state->LastImport;
    ASSERT_EQ(in, s.Nl.Sew[before]);
    EXPECT_NE(in->GroupId, o->GroupId) << "a new group";
    EXPECT_EQ(s.Nl.Sew.StreamOriginX, 500);
    EXPECT_EQ(s.Nl.Sew.StreamOriginY, 400);

    // The needle positions come back as drawn, moved so that the design's machine origin (the
    // centre of its extents, here (180, 140)) lies at the click.
    const TSLStitch& out = *o;
    std::vector<TSP> needles;
    for (int32_t i = 0; i < in->Count(); ++i)
        needles.push_back((*in)[i]);
    ASSERT_GE(needles.size(), static_cast<size_t>(out.Count()));
    const float dx = 500 - 180, dy = 400 - 140;
    EXPECT_NEAR(needles.front().X, 100 + dx, 1);
    EXPECT_NEAR(needles.front().Y, 100 + dy, 1);
    for (int32_t i = 0; i < out.Count(); ++i) {
        bool found = false;
        for (const TSP& p : needles)
            found = found || (std::fabs(p.X - dx - out[i].X) <= 1 && std::fabs(p.Y - dy - out[i].Y) <= 1);
        EXPECT_TRUE(found) << "stitch " << i << " at " << out[i].X << "," << out[i].Y;
    }
}

TEST(FileCommands, ThreadTextureAtTheFirstShowing) {
    TTempDir dir;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes; // empty: no file
        bool loaded;
        const char* heading;
    };
    TColorTable table;
    table.Rows = 2;
    table.Cols = 3;
    std::vector<uint8_t> bad = SerializeColorTable(table);
    bad[4] = 40; // 40 rows is not a texture table
    const Case cases[] = {
        {"valid", SerializeColorTable(table), true, nullptr},
        {"missing", {}, false, "Failed On File Load"},
        {"not a table", bad, false, "File Loading Error !"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir.Path / COLOR_TABLE_NAME);
        if (!c.bytes.empty()) WriteFileAtomic(dir.Path / COLOR_TABLE_NAME, c.bytes);
        TShell s;
        s.Host.Folder = dir.Path.string();
        s.Nl.FirstShow({});
        EXPECT_EQ(s.Nl.Files.Texture.has_value(), c.loaded);
        if (c.heading) {
            ASSERT_EQ(s.Host.Messages.size(), 1u) << "one message, from the table loader only";
            EXPECT_EQ(s.Host.Messages[0].Heading, c.heading);
        } else {
            EXPECT_TRUE(s.Host.Messages.empty());
        }
    }
}

TEST(ImportCommand, ChoosesTheReaderByTheLastExtensionOrRefusesWithTheExtension) {
    TExportFixture f;
    struct Case {
        std::string name;
        bool read;
        std::string ext;
    } cases[] = {
        {"a.b.DST", true, ""}, {"design.tajima", false, ""}, {"x.NlD", false, "nld"}, {"noext", false, ""}};
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
                  "This File extension ( " + c.ext + " ) is not currently supported by Nordelune");
    }
    TImportSession session;
    ImportStitchFile(f.Sew, f.Dir / "design.tajima", f.Host, 0, 0, 1, &session);
    EXPECT_EQ(session.FileName, "Undefined");
    // The filter index chooses the reader whatever the extension.
    EXPECT_NE(ImportStitchFile(f.Sew, f.Dir / "design.tajima", f.Host, 0, 0, 4), nullptr);
}

TEST(ImportCommand, AddsOneDirectObjectInANewGroupAtThePlacementPoint) {
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

TEST(ImportCommand, ADamagedFileShowsWhatTheReaderFoundWrong) {
    // The desktop reads files as nordelune-cli does, and gives the same reason.
    TExportFixture f;
    auto star = ReadWholeFile(Fixture("Star.DST"));
    star.resize(star.size() - 6); // the end record is gone
    WriteFileAtomic(f.Dir / "cut.dst", star);
    EXPECT_EQ(ImportStitchFile(f.Sew, f.Dir / "cut.dst", f.Host, 0, 0), nullptr);
    ASSERT_EQ(f.Host.Messages.size(), 1u);
    const std::string name = (f.Dir / "cut.dst").string();
    EXPECT_EQ(f.Host.Messages[0].Heading, name + "Unexpected Format");
    try {
        ReadStitchFile(name);
        ADD_FAILURE() << "the cut file was read";
    } catch (const TImportError& e) {
        EXPECT_EQ(f.Host.Messages[0].Text, "File Error\n\n" + e.Reason);
        EXPECT_EQ(e.Reason, "the file ends without an end record");
    }
    EXPECT_EQ(f.Sew.Count(), 0);
}

TEST(ImportCommand, RefusesBadFilesWithTheirMessagesAndAddsNothing) {
    TExportFixture f;
    std::string noStitch = "LA:" + std::string(DST_HEADER_SIZE - 3, ' ') + std::string("\0\0\xF3", 3);
    WriteFileAtomic(f.Dir / "empty.dst", Bytes(noStitch));
    WriteFileAtomic(f.Dir / "short.dst", Bytes("LA:nothing more"));
    struct Case {
        std::string name, heading, text;
    } cases[] = {
        {"empty.dst", "Import Stitch File",
         (f.Dir / "empty.dst").string() + " : The File Holds No Stitches. Nothing Was Imported."},
        {"short.dst", (f.Dir / "short.dst").string() + "Unexpected Format",
         "File Error\n\nnot a Tajima DST file (no 512-byte header starting with \"LA:\")"},
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

TEST(ExportCommand, WritesTheGroupAndItsSideFileAndRestoresTheEditingState) {
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
    ASSERT_TRUE(ExportDesign(f.Sew, 3, file, f.Host, f.Ctx));
    EXPECT_TRUE(f.Host.Messages.empty());
    // The status line says what was written: the group only, 80 x 40 units.
    EXPECT_EQ(f.Host.Status, "Exported out.dst (Tajima DST): 4 stitches, 2 colour blocks, 4.0 x 2.0 mm");
    EXPECT_EQ(a->Generations, (std::vector<bool>{true, false}));
    EXPECT_FALSE(a->Flags & OF_GENERATE_HIDDEN);
    auto back = ReadStitchFile(file);
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

TEST(ExportCommand, AsksBeforeOverwritingAndNoKeepsTheFile) {
    TExportFixture f;
    AddDirect(f.Sew, 1, Direct({{0, 0, 1}, {10, 0}}));
    auto file = f.Dir / "keep.dst";
    WriteFileAtomic(file, Bytes("previous"));
    f.Host.Answers = {TButton::No};
    EXPECT_FALSE(ExportDesign(f.Sew, 1, file, f.Host, f.Ctx));
    ASSERT_EQ(f.Host.Messages.size(), 1u);
    EXPECT_EQ(f.Host.Messages[0].Heading, "Exporting File");
    EXPECT_EQ(f.Host.Messages[0].Text, "File Already Exists. OK To Overwrite ?");
    EXPECT_EQ(f.Host.Messages[0].Buttons, TButton::Yes | TButton::No);
    EXPECT_EQ(ReadWholeFile(file), Bytes("previous"));
    f.Host.Answers = {TButton::Yes};
    EXPECT_TRUE(ExportDesign(f.Sew, 1, file, f.Host, f.Ctx));
    EXPECT_NE(ReadWholeFile(file), Bytes("previous"));
}

TEST(ExportCommand, AFormatThatCannotBeWrittenIsRefusedBeforeTheOverwriteQuestion) {
    TExportFixture f;
    AddDirect(f.Sew, 1, Direct({{0, 0, 1}, {10, 0}}));
    for (const char* name : {"keep.NlD", "keep.txt"}) {
        f.Host.Messages.clear();
        auto file = f.Dir / name;
        WriteFileAtomic(file, Bytes("previous"));
        f.Host.Answers = {TButton::Yes};
        EXPECT_FALSE(ExportDesign(f.Sew, 1, file, f.Host, f.Ctx)) << name;
        ASSERT_EQ(f.Host.Messages.size(), 1u) << "no overwrite question for " << name;
        EXPECT_EQ(f.Host.Messages[0].Heading, "Exporting File");
        EXPECT_EQ(f.Host.Messages[0].Text, file.string() + ": this file format cannot be written");
        EXPECT_EQ(f.Host.Messages[0].Buttons, Buttons(TButton::OK));
        EXPECT_EQ(ReadWholeFile(file), Bytes("previous"));
    }
}

TEST(ExportCommand, FailuresWriteNothingReportAndRestore) {
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
        {2, f.Dir / "later.NlD", FORMAT_DESIGN},      // not a writer of this build
    };
    for (auto& c : cases) {
        f.Host.Messages.clear();
        f.Host.Answers = {TButton::Yes};
        EXPECT_FALSE(ExportDesign(f.Sew, c.group, c.file, f.Host, f.Ctx)) << c.file;
        ASSERT_FALSE(f.Host.Messages.empty());
        EXPECT_EQ(f.Host.Messages.back().Heading, "Exporting File");
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

TEST(ExportCommand, CommandForcesTheFilterExtensionOnTheBaseName) {
    TExportFixture f;
    auto* o = AddDirect(f.Sew, 1, Direct({{0, 0, 1}, {10, 0}}));
    f.Sew.SetCurrent(o);
    TExportSession session;
    f.Host.FileAnswers.push_back({true, (f.Dir / "Design.old.txt").string(), 3});
    EXPECT_TRUE(RunExportCommand(f.Sew, f.Host, session, f.Ctx));
    ASSERT_EQ(f.Host.FileRequests.size(), 1u);
    EXPECT_EQ(f.Host.FileRequests[0].Filter, ExportFilter());
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

TEST(ColorTable, ShippedTableLoadsAndBadOnesAreRefusedWithTheirMessages) {
    TScriptedHost host;
    auto shipped = LoadColorTable(DataDir(), host);
    ASSERT_TRUE(shipped);
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_GE(shipped->Rows, 1);
    EXPECT_FALSE(shipped->Transparent(shipped->Rows / 2, shipped->Cols / 2));

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* heading;
        const char* text;
    } cases[] = {
        {"wrong magic", TableBytes(99104, 4, 4), "File Loading Error !", "Not A Valid Nordelune 3D File"},
        {"no rows", TableBytes(COLOR_TABLE_MAGIC, 0, 4), "File Loading Error !",
         "Not A Valid Nordelune 3D File"},
        {"13 rows", TableBytes(COLOR_TABLE_MAGIC, 13, 4), "File Loading Error !",
         "Not A Valid Nordelune 3D File"},
        {"no columns", TableBytes(COLOR_TABLE_MAGIC, 4, 0), "File Loading Error !",
         "Not A Valid Nordelune 3D File"},
        {"33 columns", TableBytes(COLOR_TABLE_MAGIC, 4, 33), "File Loading Error !",
         "Not A Valid Nordelune 3D File"},
        {"negative", TableBytes(COLOR_TABLE_MAGIC, -1, 4), "File Loading Error !",
         "Not A Valid Nordelune 3D File"},
        {"cut short", TableBytes(COLOR_TABLE_MAGIC, 4, 4, 100), "Failed On File Load", "Failed"},
        {"empty", {}, "Failed On File Load", "Failed"},
    };
    for (auto& c : cases) {
        TTempDir dir;
        WriteFileAtomic(dir / COLOR_TABLE_NAME, c.bytes);
        host.Messages.clear();
        EXPECT_FALSE(LoadColorTable(dir.Path, host)) << c.what;
        ASSERT_EQ(host.Messages.size(), 1u) << c.what;
        EXPECT_EQ(host.Messages[0].Heading, c.heading) << c.what;
        EXPECT_EQ(host.Messages[0].Text, c.text) << c.what;
    }
    TTempDir none;
    host.Messages.clear();
    EXPECT_FALSE(LoadColorTable(none.Path, host));
    EXPECT_EQ(host.Messages.at(0).Heading, "Failed On File Load");
    // The largest valid sizes load.
    TColorTableFault fault;
    EXPECT_TRUE(ParseColorTable(TableBytes(COLOR_TABLE_MAGIC, 12, 32), fault));
}
