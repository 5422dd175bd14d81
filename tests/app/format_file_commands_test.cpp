// Export and import of every machine format through the file commands: each export dialog entry
// reaches its writer and each import entry its reader, the needles come back where they were, a
// format's colour block limit comes back as a message that leaves the previous file alone, and a
// damaged file is reported with the reader's reason and adds nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "../formats/FormatTestUtil.h"
#include "app/FileCommands.h"
#include "core/FileIO.h"
#include "formats/Palettes.h"
#include "formats/Pec.h"
#include "formats/SideFile.h"
#include "platform/ScriptedHost.h"
#include "worksheet/Sew.h"

using namespace nl;
using nl::test::DataDir;
using nl::test::Direct;
using nl::test::Fixture;
using nl::test::TTempDir;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

// Needle positions relative to the first, consecutive repeats folded, with the colour where a
// block starts; with `pec`, the colour as the Brother palette holds it.
std::vector<std::tuple<float, float, int32_t>> Needles(const TSLStitch* o, bool pec = false) {
    std::vector<std::tuple<float, float, int32_t>> out;
    for (const TSP& p : *o) {
        const float x = p.X - (*o)[0].X, y = p.Y - (*o)[0].Y;
        if (!out.empty() && std::get<0>(out.back()) == x && std::get<1>(out.back()) == y) continue;
        int32_t c = p.GetColour();
        if (pec && c != NO_COLOUR) c = PecColour(PecCodeOfColour(c));
        out.emplace_back(x, y, c);
    }
    return out;
}

// A worksheet in a fresh folder (with the side file template beside it) holding one two-colour
// direct stitch object in layout group 1, whose travel to the blue block is long enough to be
// split into jumps by every format.
struct TFormatSheet {
    TTempDir Dir;
    TSew Sew;
    TScriptedHost Host;
    TStitchContext Ctx;
    TSLStitch* Design = nullptr;

    TFormatSheet() {
        Host.Folder = Dir.Path.string();
        std::filesystem::copy_file(DataDir() / SIDE_TEMPLATE_NAME, Dir / SIDE_TEMPLATE_NAME);
        auto o = Direct({{0, 0, kRed}, {100, 40}, {3000, 40, kBlue}, {3020, 60}});
        o->GroupId = 1;
        Sew.Groups.Add(1);
        Design = Sew.Add(std::move(o));
        Sew.SetCurrent(Design);
    }

    // Exports group 1 through the dialog's entry `filter`, the dialog answering `answered`.
    void Export(int filter, const std::filesystem::path& answered) {
        TExportSession session;
        Host.FileAnswers.push_back({true, answered.string(), filter});
        ASSERT_TRUE(RunExportCommand(Sew, Host, session, Ctx)) << answered;
        EXPECT_EQ(Host.FileRequests.back().Filter, ExportFilter());
    }

    // Adds a layout group 2 of `blocks` colour blocks; returns its id.
    int32_t AddManyColours(int blocks) {
        auto many = std::make_unique<TSLStitch>();
        for (int i = 0; i < blocks; ++i)
            many->Append(TSP::Colour(0, static_cast<float>(i * 10), 0, i % 2 ? kRed : kBlue));
        many->GroupId = 2;
        Sew.Groups.Add(2);
        Sew.Add(std::move(many));
        return 2;
    }
};

} // namespace

TEST(FileCommands, EveryMachineFormatThroughTheDialogsFilters) {
    TFormatSheet s;
    const auto& dir = s.Dir;
    // The export entry, the import entry that reads the file back, the file.
    struct Case {
        int exportFilter, importFilter;
        const char* file;
    } cases[] = {
        {1, 3, "Design.pec"},  {2, 5, "Design.hus"},   {3, 4, "Design.dst"},  {4, 6, "Design.exp"},
        {5, 7, "Design.vip"},  {6, 8, "Design.ksm"},   {7, 9, "Design.dat"},  {8, 10, "Design.10o"},
        {9, 11, "Design.xxx"}, {10, 12, "Design.jef"}, {12, 2, "Design.pes"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        const bool pec = std::string(c.file).ends_with(".pec") || std::string(c.file).ends_with(".pes");
        s.Export(c.exportFilter, dir / "Design.old");
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / c.file));
        const int32_t objects = s.Sew.Count();
        TSLStitch* back = ImportStitchFile(s.Sew, dir / c.file, s.Host, 0, 0, c.importFilter);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(s.Sew.Count(), objects + 1);
        EXPECT_EQ(Needles(back), Needles(s.Design, pec));
        // The first import entry goes by the extension.
        back = ImportStitchFile(s.Sew, dir / c.file, s.Host, 0, 0, 1);
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(Needles(back), Needles(s.Design, pec));
    }
    EXPECT_TRUE(s.Host.Messages.empty());
}

TEST(FileCommands, BrotherFilesCarryTheDesignsNameInTheirLabel) {
    TFormatSheet s;
    for (const char* ext : {".pec", ".pes"}) {
        s.Export(std::string(ext) == ".pec" ? 1 : 12, s.Dir / "Other.old");
        const auto bytes = ReadWholeFile(s.Dir / (std::string("Other") + ext));
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8),
                  std::string(ext) == ".pec" ? "#PEC0001" : "#PES0001");
        const auto p = static_cast<long>(PecBlockOffset(bytes));
        EXPECT_EQ(std::string(bytes.begin() + p, bytes.begin() + p + 3 + 16), "LA:Other           ") << ext;
    }
}

TEST(FileCommands, TooManyColourBlocksAreRefusedAndKeepThePreviousFile) {
    TFormatSheet s;
    for (int filter : {1, 5, 12})
        s.Export(filter, s.Dir / "Design.old");
    struct Case {
        const char* file;
        int blocks;
        const char* says;
    } cases[] = {{"Design.vip", 101, "at most 100 colour blocks"},
                 {"Design.pec", 256, "at most 255 colour blocks"},
                 {"Design.pes", 256, "at most 255 colour blocks"}};
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        TFormatSheet many; // a fresh worksheet per limit
        const int32_t group = many.AddManyColours(c.blocks);
        std::filesystem::copy_file(s.Dir / c.file, many.Dir / c.file);
        const auto before = ReadWholeFile(many.Dir / c.file);
        many.Host.Answers.push_back(TButton::Yes); // overwrite
        EXPECT_FALSE(ExportDesign(many.Sew, group, many.Dir / c.file, many.Host, many.Ctx));
        ASSERT_EQ(many.Host.Messages.size(), 2u);
        EXPECT_EQ(many.Host.Messages.back().Heading, "Exporting File");
        EXPECT_NE(many.Host.Messages.back().Text.find(c.says), std::string::npos)
            << many.Host.Messages.back().Text;
        EXPECT_EQ(ReadWholeFile(many.Dir / c.file), before);
    }
}

TEST(FileCommands, DamagedMachineFilesAreReportedAndAddNothing) {
    TTempDir dir;
    TSew sew;
    TScriptedHost host;
    std::vector<uint8_t> jef(130, 0); // stitch data said to lie past the end
    jef[0] = 0xF0;
    WriteFileAtomic(dir / "Bad.jef", jef);
    WriteFileAtomic(dir / "short.xxx", std::vector<uint8_t>(100, 0));
    WriteFileAtomic(dir / "short.ksm", std::vector<uint8_t>(511, 0));
    WriteFileAtomic(dir / "odd.10o", std::vector<uint8_t>{0x8A, 0, 0, 0x80, 0, 1, 0x95, 0, 0});
    std::filesystem::copy_file(Fixture("Star.dat"), dir / "Star.dat");
    struct Case {
        const char* file;
        int filter;
        const char* says; // null: any reason, named with the file
    } cases[] = {
        {"Bad.jef", 12, nullptr},
        {"short.xxx", 0, "too short to be a XXX file"},
        {"short.ksm", 0, "too short to be a Pfaff KSM file"},
        {"odd.10o", 0, "unknown command 0x15"},
        {"Star.dat", 0, "not a Barudan DAT file"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.file);
        host.Messages.clear();
        const std::string name = (dir / c.file).string();
        EXPECT_EQ(ImportStitchFile(sew, dir / c.file, host, 0, 0, c.filter), nullptr);
        ASSERT_EQ(host.Messages.size(), 1u);
        EXPECT_NE(host.Messages[0].Heading.find(name), std::string::npos) << host.Messages[0].Heading;
        if (c.says) {
            EXPECT_EQ(host.Messages[0].Heading, name + "Unexpected Format");
            EXPECT_NE(host.Messages[0].Text.find(c.says), std::string::npos) << host.Messages[0].Text;
        }
    }
    EXPECT_EQ(sew.Count(), 0);
    // The real files of another writer come in through the first entry, by their extensions.
    for (const char* name : {"Star.XXX", "Star.10O", "Star.ksm"})
        EXPECT_NE(ImportStitchFile(sew, Fixture(name), host, 0, 0), nullptr) << name;
    EXPECT_EQ(sew.Count(), 3);
}
