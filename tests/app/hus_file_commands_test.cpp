// Export and import of HUS and VIP files through the file commands: the dialogs' filter entries
// reach the writers and the reader, and the VIP colour limit comes back as a message.
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

TEST(FileCommands, HusAndVipThroughTheDialogsFilters) {
    TTempDir dir;
    TSew sew;
    TScriptedHost host;
    TStitchContext ctx;
    host.Folder = dir.Path.string();
    std::filesystem::copy_file(DataDir() / SIDE_TEMPLATE_NAME, dir / SIDE_TEMPLATE_NAME);
    auto o = Direct({{0, 0, kRed}, {100, 40}, {300, 40, kBlue}, {320, 60}});
    o->GroupId = 1;
    sew.Groups.Add(1);
    TSLStitch* added = sew.Add(std::move(o));
    sew.SetCurrent(added);
    // Export filter 2 is HUS, 5 is VIP; import filters 5 and 7 read them back.
    struct Case {
        int exportFilter, importFilter;
        const char* file;
    } cases[] = {{2, 5, "Design.hus"}, {5, 7, "Design.vip"}};
    for (auto& c : cases) {
        TExportSession session;
        host.FileAnswers.push_back({true, (dir / "Design").string(), c.exportFilter});
        ASSERT_TRUE(RunExportCommand(sew, host, session, ctx)) << c.file;
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / c.file));
        TSLStitch* back = ImportStitchFile(sew, dir / c.file, host, 0, 0, c.importFilter);
        ASSERT_NE(back, nullptr) << c.file;
        EXPECT_EQ(Needles(back), Needles(added)) << c.file;
    }
    EXPECT_TRUE(host.Messages.empty());
    // Too many colours for VIP: refused with a message, the previous file untouched.
    auto many = std::make_unique<TSLStitch>();
    for (int i = 0; i < 101; ++i)
        many->Append(TSP::Colour(0, static_cast<float>(i * 10), 0, i % 2 ? kRed : kBlue));
    many->GroupId = 2;
    sew.Groups.Add(2);
    sew.Add(std::move(many));
    auto before = ReadWholeFile(dir / "Design.vip");
    host.Answers.push_back(TButton::Yes); // overwrite
    EXPECT_FALSE(ExportDesign(sew, 2, dir / "Design.vip", host, ctx));
    ASSERT_EQ(host.Messages.size(), 2u);
    EXPECT_EQ(host.Messages.back().Heading, "Exporting File");
    EXPECT_NE(host.Messages.back().Text.find("at most 100 colour blocks"), std::string::npos)
        << host.Messages.back().Text;
    EXPECT_EQ(ReadWholeFile(dir / "Design.vip"), before);
}
