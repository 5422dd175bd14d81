// Export and import of Brother PEC and PES files through the file commands: the export dialog's
// first and twelfth entries reach the writers, the import dialog's PES and PEC entries the reader,
// and the colour block limit comes back as a message.
#include <gtest/gtest.h>

#include <filesystem>
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
using nl::test::TTempDir;

namespace {

constexpr int32_t kRed = 0x0000FF, kBlue = 0xFF0000;

// Needle positions relative to the first, consecutive repeats folded, with the colour where a
// block starts (as the palette holds it).
std::vector<std::tuple<float, float, int32_t>> Needles(const TSLStitch* o, bool palette) {
    std::vector<std::tuple<float, float, int32_t>> out;
    for (const TSP& p : *o) {
        const float x = p.X - (*o)[0].X, y = p.Y - (*o)[0].Y;
        if (!out.empty() && std::get<0>(out.back()) == x && std::get<1>(out.back()) == y) continue;
        int32_t c = p.GetColour();
        if (palette && c != NO_COLOUR) c = PecColour(PecCodeOfColour(c));
        out.emplace_back(x, y, c);
    }
    return out;
}

} // namespace

TEST(FileCommands, PecAndPesThroughTheDialogsFilters) {
    TTempDir dir;
    TSew sew;
    TScriptedHost host;
    TStitchContext ctx;
    host.Folder = dir.Path.string();
    std::filesystem::copy_file(DataDir() / SIDE_TEMPLATE_NAME, dir / SIDE_TEMPLATE_NAME);
    auto o = Direct({{0, 0, kRed}, {100, 40}, {900, 40, kBlue}, {920, 60}});
    o->GroupId = 1;
    sew.Groups.Add(1);
    TSLStitch* added = sew.Add(std::move(o));
    sew.SetCurrent(added);
    // Export filter 1 is PEC, 12 PES; import filters 3 and 2 read them back (and the first entry
    // by the extension).
    struct Case {
        int exportFilter, importFilter;
        const char* name;
        const char* ext;
        const char* signature;
    } cases[] = {{1, 3, "Design", ".pec", "#PEC0001"},
                 {12, 2, "Design", ".pes", "#PES0001"},
                 {12, 1, "Other", ".pes", "#PES0001"}};
    for (auto& c : cases) {
        TExportSession session;
        const auto file = dir / (std::string(c.name) + c.ext);
        host.FileAnswers.push_back({true, (dir / (std::string(c.name) + ".old")).string(), c.exportFilter});
        ASSERT_TRUE(RunExportCommand(sew, host, session, ctx)) << file;
        EXPECT_EQ(host.FileRequests.back().Filter, ExportFilter());
        const auto bytes = ReadWholeFile(file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), c.signature);
        // The label is the design's name.
        const auto p = static_cast<long>(PecBlockOffset(bytes));
        EXPECT_EQ(std::string(bytes.begin() + p, bytes.begin() + p + 3 + 16),
                  "LA:" + (std::string(c.name) + "                ").substr(0, 16));
        TSLStitch* back = ImportStitchFile(sew, file, host, 0, 0, c.importFilter);
        ASSERT_NE(back, nullptr) << file;
        EXPECT_EQ(Needles(back, false), Needles(added, true)) << file;
    }
    EXPECT_TRUE(host.Messages.empty());
    // Too many colour blocks for a Brother file: refused with a message, the previous file
    // untouched.
    auto many = std::make_unique<TSLStitch>();
    for (int i = 0; i < 256; ++i)
        many->Append(TSP::Colour(0, static_cast<float>(i * 10), 0, i % 2 ? kRed : kBlue));
    many->GroupId = 2;
    sew.Groups.Add(2);
    sew.Add(std::move(many));
    for (const char* file : {"Design.pec", "Design.pes"}) {
        host.Messages.clear();
        const auto before = ReadWholeFile(dir / file);
        host.Answers.push_back(TButton::Yes); // overwrite
        EXPECT_FALSE(ExportDesign(sew, 2, dir / file, host, ctx));
        ASSERT_EQ(host.Messages.size(), 2u);
        EXPECT_EQ(host.Messages.back().Heading, "Exporting File");
        EXPECT_NE(host.Messages.back().Text.find("at most 255 colour blocks"), std::string::npos)
            << host.Messages.back().Text;
        EXPECT_EQ(ReadWholeFile(dir / file), before);
    }
}
