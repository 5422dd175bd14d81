#include <filesystem>

#include "Fixture.h"
#include "app/FileCommands.h"
#include "core/FileIO.h"
#include "formats/ColorTable.h"

using namespace nl;
using nl::test::TShell;

namespace {
namespace fs = std::filesystem;

struct TTempDir {
    fs::path Path;
    TTempDir() {
        Path = fs::temp_directory_path() /
               ("nl_filecmd_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Path);
        fs::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

TFileDialogResult Answer(const fs::path& file, int filterIndex) {
    TFileDialogResult r;
    r.Accepted = true;
    r.FileName = file.string();
    r.FilterIndex = filterIndex;
    return r;
}
} // namespace

TEST(FileCommands, ServicesEnableTheCommands) {
    TShell s;
    for (TCommand c : {TCommand::ImportStitching, TCommand::FileImport, TCommand::ImportButton})
        EXPECT_FALSE(s.Nl.IsEnabled(c));
    auto state = InstallFileServices(s.Nl, s.Host);
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
    auto state = InstallFileServices(s.Nl, s.Host);
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
    EXPECT_EQ(state->Export.FileName, dst.string());

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
        auto state = InstallFileServices(s.Nl, s.Host);
        s.Nl.FirstShow({});
        EXPECT_EQ(state->Texture.has_value(), c.loaded);
        if (c.heading) {
            ASSERT_EQ(s.Host.Messages.size(), 1u) << "one message, from the table loader only";
            EXPECT_EQ(s.Host.Messages[0].Heading, c.heading);
        } else {
            EXPECT_TRUE(s.Host.Messages.empty());
        }
    }
}
