// Export and import of XXX, Barudan DAT, Toyota 10O and Pfaff KSM files through the file
// commands: the dialogs' filter entries reach the writers and the readers, and a damaged file is
// reported with the reader's reason and adds nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "../formats/FormatTestUtil.h"
#include "app/FileCommands.h"
#include "core/FileIO.h"
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
// block starts.
std::vector<std::tuple<float, float, int32_t>> Needles(const TSLStitch* o) {
    std::vector<std::tuple<float, float, int32_t>> out;
    for (const TSP& p : *o) {
        const float x = p.X - (*o)[0].X, y = p.Y - (*o)[0].Y;
        if (!out.empty() && std::get<0>(out.back()) == x && std::get<1>(out.back()) == y) continue;
        out.emplace_back(x, y, p.GetColour());
    }
    return out;
}

} // namespace

TEST(FileCommands, XxxDatTenOAndKsmThroughTheDialogsFilters) {
    TTempDir dir;
    TSew sew;
    TScriptedHost host;
    TStitchContext ctx;
    host.Folder = dir.Path.string();
    std::filesystem::copy_file(DataDir() / SIDE_TEMPLATE_NAME, dir / SIDE_TEMPLATE_NAME);
    auto o = Direct({{0, 0, kRed}, {100, 40}, {3000, 40, kBlue}, {3020, 60}});
    o->GroupId = 1;
    sew.Groups.Add(1);
    TSLStitch* added = sew.Add(std::move(o));
    sew.SetCurrent(added);
    // Export filters 6 to 9 are KSM, DAT, 10O and XXX; import filters 8 to 11 read them back.
    struct Case {
        int exportFilter, importFilter;
        const char* file;
    } cases[] = {{6, 8, "Design.ksm"}, {7, 9, "Design.dat"}, {8, 10, "Design.10o"}, {9, 11, "Design.xxx"}};
    for (auto& c : cases) {
        TExportSession session;
        host.FileAnswers.push_back({true, (dir / "Design").string(), c.exportFilter});
        ASSERT_TRUE(RunExportCommand(sew, host, session, ctx)) << c.file;
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / c.file)) << c.file;
        const int32_t objects = sew.Count();
        TSLStitch* back = ImportStitchFile(sew, dir / c.file, host, 0, 0, c.importFilter);
        ASSERT_NE(back, nullptr) << c.file;
        EXPECT_EQ(sew.Count(), objects + 1);
        EXPECT_EQ(Needles(back), Needles(added)) << c.file;
    }
    EXPECT_TRUE(host.Messages.empty());
}

TEST(FileCommands, DamagedRecordFilesAreReportedAndAddNothing) {
    TTempDir dir;
    TSew sew;
    TScriptedHost host;
    WriteFileAtomic(dir / "short.xxx", std::vector<uint8_t>(100, 0));
    WriteFileAtomic(dir / "short.ksm", std::vector<uint8_t>(511, 0));
    WriteFileAtomic(dir / "odd.10o", std::vector<uint8_t>{0x8A, 0, 0, 0x80, 0, 1, 0x95, 0, 0});
    std::filesystem::copy_file(Fixture("Star.dat"), dir / "Star.dat");
    struct Case {
        const char* file;
        const char* says;
    } cases[] = {
        {"short.xxx", "too short to be a XXX file"},
        {"short.ksm", "too short to be a Pfaff KSM file"},
        {"odd.10o", "unknown command 0x15"},
        {"Star.dat", "not a Barudan DAT file"},
    };
    for (auto& c : cases) {
        host.Messages.clear();
        const std::string name = (dir / c.file).string();
        EXPECT_EQ(ImportStitchFile(sew, dir / c.file, host, 0, 0), nullptr) << c.file;
        ASSERT_EQ(host.Messages.size(), 1u) << c.file;
        EXPECT_EQ(host.Messages[0].Heading, name + "Unexpected Format");
        EXPECT_NE(host.Messages[0].Text.find(c.says), std::string::npos) << host.Messages[0].Text;
    }
    EXPECT_EQ(sew.Count(), 0);
    // The real files of another writer come in through the first entry, by their extensions.
    for (const char* name : {"Star.XXX", "Star.10O", "Star.ksm"})
        EXPECT_NE(ImportStitchFile(sew, Fixture(name), host, 0, 0), nullptr) << name;
    EXPECT_EQ(sew.Count(), 3);
}
