// Export and import of Melco EXP and Janome JEF files through the file commands: the dialogs'
// filter entries reach the writers and the readers, and a damaged file comes back as a message
// that names it and leaves the worksheet alone.
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

TEST(FileCommands, ExpAndJefThroughTheDialogsFilters) {
    TTempDir dir;
    TSew sew;
    TScriptedHost host;
    TStitchContext ctx;
    host.Folder = dir.Path.string();
    std::filesystem::copy_file(DataDir() / SIDE_TEMPLATE_NAME, dir / SIDE_TEMPLATE_NAME);
    // A long travel to the blue block: split into jumps on the way out, one move on the way in.
    auto o = Direct({{0, 0, kRed}, {100, 40}, {3000, 40, kBlue}, {3020, 60}});
    o->GroupId = 1;
    sew.Groups.Add(1);
    TSLStitch* added = sew.Add(std::move(o));
    sew.SetCurrent(added);
    // Export filter 4 is Melco, 10 Janome; import filters 6 and 12 read them back.
    struct Case {
        int exportFilter, importFilter;
        const char* file;
    } cases[] = {{4, 6, "Design.exp"}, {10, 12, "Design.jef"}};
    for (auto& c : cases) {
        TExportSession session;
        host.FileAnswers.push_back({true, (dir / "Design").string(), c.exportFilter});
        ASSERT_TRUE(RunExportCommand(sew, host, session, ctx)) << c.file;
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / c.file));
        EXPECT_TRUE(std::filesystem::is_regular_file(SideFileName(dir / c.file)));
        TSLStitch* back = ImportStitchFile(sew, dir / c.file, host, 0, 0, c.importFilter);
        ASSERT_NE(back, nullptr) << c.file;
        EXPECT_EQ(Needles(back), Needles(added)) << c.file;
        // The first entry goes by the extension.
        back = ImportStitchFile(sew, dir / c.file, host, 0, 0, 1);
        ASSERT_NE(back, nullptr) << c.file;
        EXPECT_EQ(Needles(back), Needles(added)) << c.file;
    }
    EXPECT_TRUE(host.Messages.empty());
    // A JEF file whose stitch data lies past its end: a message naming the file, nothing added.
    const int32_t objects = sew.Count();
    std::vector<uint8_t> bad(130, 0);
    bad[0] = 0xF0;
    WriteFileAtomic(dir / "Bad.jef", bad);
    EXPECT_EQ(ImportStitchFile(sew, dir / "Bad.jef", host, 0, 0, 12), nullptr);
    ASSERT_EQ(host.Messages.size(), 1u);
    EXPECT_NE(host.Messages.back().Heading.find((dir / "Bad.jef").string()), std::string::npos)
        << host.Messages.back().Heading;
    EXPECT_EQ(sew.Count(), objects);
}
