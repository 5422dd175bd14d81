#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

#include "../core/RecordBytes.h"
#include "SampleSheets.h"
#include "core/FileIO.h"
#include "core/FileVersion.h"
#include "formats/Worksheet.h"

using namespace nl;
using namespace nl::test;
namespace fs = std::filesystem;

namespace {

const std::string kStar = std::string(NL_FIXTURES_DIR) + "/Star.DST";

struct TTempDir {
    fs::path Path;
    TTempDir() {
        std::random_device rd;
        Path = fs::temp_directory_path() / ("nl-ws-" + std::to_string(rd()));
        fs::create_directories(Path);
    }
    ~TTempDir() {
        std::error_code ec;
        fs::remove_all(Path, ec);
    }
};

void Str(TExpectedRecord& e, const std::string& s, const char* field) {
    e.I32(static_cast<int32_t>(s.size()), field);
    for (char c : s)
        e.U8(static_cast<uint8_t>(c), field);
}

// A worksheet file composed field by field from the layout table, without the program's writer:
// the settings `s`, the group list, one direct stitch object of two plain points in group 1 and
// the embroidery frame. Fields a version lacks are left out.
TExpectedRecord HandBuilt(int32_t version, const TWorksheetSettings& s, const std::string& name) {
    TExpectedRecord e;
    Str(e, "NordeluneV1.0(2004)", "header");
    e.I32(version, "version");
    e.I32(s.Threads.CatalogChoice, "catalog choice");
    Str(e, s.Import.FileName, "import file name");
    Str(e, s.Export.FileName, "export file name");
    Str(e, name, "worksheet file name");
    Str(e, s.PatternFileName, "pattern file name");
    Str(e, s.SnapshotFileName, "snapshot file name");
    // Table A.
    e.I32(s.Export.FilterIndex, "#1 export filter").I32(s.Import.FilterIndex, "#2 import filter");
    e.I32(s.View.Zoom, "#3 zoom").I32(s.View.ScrollX, "#4 scroll x").I32(s.View.ScrollY, "#5 scroll y");
    const int32_t coloursA[] = {
        s.gColBackground,      s.BackgroundColour2,   s.MajorGridColour,    s.MinorGridColour,
        s.DirectStitchColour,  s.OutlineColour1,      s.OutlineColour2,     s.OutlineNodeColour,
        s.OutlineHandleColour, s.StitchPointColour,   s.StitchPointColour2, s.OutlinePointColour1,
        s.OutlinePointColour2, s.SelectedPointColour, s.OutlineAuxColour,   s.RegionBoundaryColour};
    for (int32_t c : coloursA)
        e.I32(c, "#6-21 colours");
    e.Bool(s.GUseLarge, "#22").Bool(s.GUseSmall, "#23").Bool(s.GridDrawing, "#24");
    e.I32(s.GLarge, "#25").I32(s.GSmall, "#26").I32(s.GridSetting3, "#27").I32(s.GridSetting4, "#28");
    e.Bool(s.Toggles.HideBitmaps, "#29").Bool(s.OutlineLoaderSwitch, "#30").Bool(s.OutlineEditSwitch, "#31");
    e.Bool(s.Toggles.HideBoundaryPoints, "#32").Bool(s.Toggles.HideUnderStitching, "#33");
    e.Bool(s.Toggles.HideFillPoints, "#34").Bool(s.Toggles.ShowAllCompensation, "#35");
    e.Bool(s.Toggles.RotateMode, "#36").I32(s.ImageThick, "#37").F64(s.ImageContrast, "#38");
    e.Bool(s.Toggles.Mode3D, "#39").I32(s.KvNormal, "#40");
    e.Bool(s.SOJToTop, "#41").Bool(s.SOJToTop2, "#42").Bool(s.SOJToTop3, "#43").Bool(s.SOJToTop4, "#44");
    e.Bool(s.SOJump, "#45").U8(s.SOWNormal, "#46").Bool(s.SOWNormalOption, "#47").Bool(s.SOJNormal, "#48");
    e.Bool(s.SOJToTop5, "#49").I32(s.ShadingColour, "#50").I32(s.OrderHighlightColour, "#51");
    e.Bool(s.OrderHighlight, "#52").I32(s.PropertiesColour, "#53").Bool(s.OrderHighlight2, "#54");
    e.Bool(s.OrderDrawing, "#55").U8(s.WorksheetMode, "#56");
    e.I32(1, "group count").I32(1, "group 1");
    // Table B.
    e.I32(s.Toggles.LongStitchLimit, "#57").I32(s.PointsUnder, "#58");
    e.Bool(s.MaxlengOption1, "#59").Bool(s.MaxlengOption2, "#60");
    const int32_t coloursB[] = {s.ImagePreviewColour, s.ColourTable1,     s.ColourTable2,
                                s.BackColor,          s.StitchHighlight1, s.StitchHighlight2};
    for (int32_t c : coloursB)
        e.I32(c, "#61-66 colours");
    e.Bool(s.SelectionOutline, "#67").I32(s.SelectionColour, "#68");
    e.I32(s.SelectionFrameColour1, "#69").I32(s.SelectionFrameColour2, "#70");
    e.F64(s.SimStitches, "#71 SimStitches")
        .Bool(s.SimPoint, "#72")
        .Bool(s.SimView, "#73")
        .I32(s.KvHigh, "#74");
    e.Bool(s.DrawingSwitch1, "#75").Bool(s.SelectionFrame1Shown, "#76").Bool(s.SelectionFrame2Shown, "#77");
    e.Bool(s.Toggles.SmallStitchPoints, "#78 UVSMP").Bool(s.Toggles.ShowZigzagHandles, "#79 SZH");
    e.Bool(s.Toggles.ShowRegionPaths, "#80 ShowSelectedEM").Bool(s.Toggles.ShowColumnHandles, "#81 SZL");
    e.Bool(s.Toggles.HighlightOutlinesInLayout, "#82").Bool(s.Toggles.HighlightRegionsInLayout, "#83");
    e.Bool(s.Toggles.ShowRegionNodeTypes, "#84 SRNT").Bool(s.Renderer3D, "#85").I32(s.TrueBlend, "#86");
    e.F64(s.TrueDepth, "#87").I32(s.TrueShad, "#88").I32(s.TrueSep, "#89").I32(s.TrueSaturation, "#90");
    e.F64(s.TrueDetail, "#91").I32(s.BrightnessTrack, "#92").Bool(s.TrueFull3D, "#93");
    e.I32(s.Kv3DColor, "#94").Bool(s.GridSuspend, "#95");
    if (version > 1001) e.Bool(s.Toggles.HideUnderlay, "#96");
    if (version > 1004) e.I32(s.Image3DThickRun, "#97").I32(s.Image3DThickFill, "#98");
    if (version >= 1008) e.I32(s.rgColor, "#99 rgColor").I32(s.fgColor, "#100 fgColor");
    if (version > 1010) {
        e.I32(s.unGradSize, "#101").I32(s.unText, "#102").Bool(s.UnMetric, "#103").F64(s.unWidth, "#104");
        e.I32(s.unGrads, "#105").I32(s.RulerPainter, "#106").I32(s.unMC, "#107").I32(s.unTC, "#108");
    }
    const TAttributeSwitches& a = s.Attributes;
    const bool first12[] = {a.AttrType,     a.AttrVisible, a.AttrColor, a.AttrDensity,
                            a.AttrRotation, a.AttrUnder,   a.AttrPitch, a.AttrOffset,
                            a.AttrSplit,    a.AttrPasses,  a.AttrComp,  a.AttrPattern};
    for (bool b : first12)
        e.Bool(b, "attribute switch");
    if (version >= 1006) {
        const bool last12[] = {a.AttrMin,         a.AttrMax,           a.AttrUseUnder,
                               a.AttrUnderType,   a.AttrUnderDensity,  a.AttrUnderPitch,
                               a.AttrUnderOffset, a.AttrUseRotation,   a.AttrUnderRotation,
                               a.AttrUnderSetRot, a.AttrUnderSetRot90, a.AttrUnderMargin};
        for (bool b : last12)
            e.Bool(b, "attribute switch (1006)");
    }
    e.I32(s.Threads.TypeManIndex, "TypeMan index");
    e.I32(s.StitchOrder.ElementHighlightColour, "order element colour");
    e.I32(s.StitchOrder.RegionHighlightColour, "order region colour");
    for (bool b : s.StitchOrder.Switches)
        e.Bool(b, "order switch");
    e.I32(s.StitchOrder.EditPane, "order edit pane").Bool(s.StitchOrder.Option, "order option");
    // One direct stitch object.
    e.I32(1, "object count").U8(2, "kind");
    e.U32(OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE, "Flags").I32(1, "GroupId").I32(0, "Mark");
    e.U32(0x60002, "StitchFlags").I32(10, "TatamiMin").I32(0, "OrderIndex");
    if (version >= 1005) e.U32(DEFAULT_STITCH_LIMITS, "StitchLimits");
    e.Rect(99, 199, 301, 401, false, "Bounds").Bool(false, "JumpVia follows").I32(2, "point count");
    e.U32(0, "point 0 flags").F32(100.f, "point 0 X").F32(200.f, "point 0 Y");
    e.U32(0, "point 1 flags").F32(300.f, "point 1 X").F32(400.f, "point 1 Y");
    // The support list: the embroidery frame.
    e.I32(1, "support count").U8(0, "support kind").U8(0, "type code").I32(NO_COLOUR, "Colour");
    e.U8(2, "FrameStyle").U8(0, "Locked").U8(0, "Layer").I32(0, "Extra").U32(0, "Flags");
    e.Rect(0, 0, 1999, 1999, false, "frame bounds");
    e.I32(0, "hole count").I32(0, "overlay count");
    return e;
}

// Where two byte blocks first differ (for messages).
std::string FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t n = std::min(a.size(), b.size()), i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    if (i == n && a.size() == b.size()) return "same";
    return "first difference at byte " + std::to_string(i) + " of " + std::to_string(a.size()) + " / " +
           std::to_string(b.size());
}

// The worksheet HandBuilt describes.
void MatchingSheet(TSew& sew) {
    auto* o = sew.AddNew<TSLStitch>();
    o->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    o->SetStitchTypeBits(ST_RUNNING);
    o->GroupId = 1;
    o->OrderIndex = 0;
    o->Append(TSP::Plain(0, 100, 200));
    o->Append(TSP::Plain(0, 300, 400));
    o->Bounds.Set(99, 199, 301, 401);
    o->Bounds.empty = false;
    sew.Groups.Add(1);
}

// Settings away from every default, so that a field read from the wrong place shows.
TWorksheetSettings Distinct() {
    TWorksheetSettings s;
    s.Threads.CatalogChoice = 3;
    s.Import.FileName = "in.dst";
    s.Export.FileName = "out.exp";
    s.PatternFileName = "p.KVP";
    s.SnapshotFileName = "shot.bmp";
    s.Export.FilterIndex = 5;
    s.Import.FilterIndex = 7;
    s.View.Zoom = 250;
    s.View.ScrollX = -33;
    s.View.ScrollY = 44;
    s.gColBackground = 0x123456;
    s.RegionBoundaryColour = 0x654321;
    s.GUseSmall = true;
    s.GLarge = 400;
    s.Toggles.HideFillPoints = true;
    s.Toggles.ShowAllCompensation = false;
    s.ImageContrast = 12.25;
    s.SOWNormal = 7;
    s.WorksheetMode = 0;
    s.Toggles.LongStitchLimit = 300;
    s.PointsUnder = 9;
    s.SimStitches = 77.5;
    s.Toggles.ShowColumnHandles = true;
    s.TrueDetail = 3.5;
    s.GridSuspend = false;
    s.Toggles.HideUnderlay = true;
    s.Image3DThickRun = 111;
    s.fgColor = 0x0A0B0C;
    s.unWidth = 8.75;
    s.unTC = 0x0D0E0F;
    s.Attributes.AttrPattern = false;
    s.Attributes.AttrUnderMargin = false;
    s.Threads.TypeManIndex = 11;
    s.StitchOrder.Switches[6] = true;
    s.StitchOrder.Option = true;
    return s;
}

} // namespace

TEST(WorksheetLayout, WriterPutsEveryFieldAtItsPlace) {
    // A file written by this program starts with 13 00 00 00, the header, then F3 03 00 00.
    TSew sew;
    MatchingSheet(sew);
    std::vector<uint8_t> bytes = WorksheetBytes(sew, "/designs/a.Nl1");
    ASSERT_GE(bytes.size(), 27u);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4), (std::vector<uint8_t>{0x13, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 23, bytes.begin() + 27),
              (std::vector<uint8_t>{0xF3, 0x03, 0, 0}));
    EXPECT_TRUE(SameRecord(bytes, HandBuilt(kVersionCurrent, sew.Settings, "/designs/a.Nl1")));
    sew.Settings = Distinct();
    EXPECT_TRUE(SameRecord(WorksheetBytes(sew, "b.Nl1"), HandBuilt(kVersionCurrent, sew.Settings, "b.Nl1")));
}

TEST(WorksheetLayout, FilesOfEveryVersionReadTheirFieldsAndKeepWhatTheyLack) {
    // Files made from the layout table, not by our writer. A field a version lacks keeps the
    // value the worksheet had before the load ("current"); everything else comes from the file.
    const TWorksheetSettings file = Distinct();
    TWorksheetSettings current;
    current.Toggles.HideUnderlay = false;
    current.Image3DThickRun = 5;
    current.fgColor = 0x111111;
    current.unWidth = 1.5;
    current.unTC = 0x222222;
    current.Attributes.AttrUnderMargin = true;
    for (int32_t version : {1000, 1001, 1004, 1005, 1007, 1008, 1010, 1011}) {
        SCOPED_TRACE(version);
        TExpectedRecord e = HandBuilt(version, file, "elsewhere.Nl1");
        TSew sew;
        sew.Settings = current;
        TWorksheetInfo info = ReadWorksheetBytes(e.Bytes(), sew, "hand.Nl1");
        EXPECT_EQ(info.Version, version);
        EXPECT_EQ(info.StoredFileName, "elsewhere.Nl1");
        const TWorksheetSettings& s = sew.Settings;
        EXPECT_EQ(s.Threads.CatalogChoice, 3);
        EXPECT_EQ(s.Import.FileName, "in.dst");
        EXPECT_EQ(s.Export.FileName, "out.exp");
        EXPECT_EQ(s.SnapshotFileName, "shot.bmp");
        EXPECT_EQ(s.Export.FilterIndex, 5);
        EXPECT_EQ(s.Import.FilterIndex, 7);
        EXPECT_EQ(s.View.Zoom, 250);
        EXPECT_EQ(s.View.ScrollX, -33);
        EXPECT_EQ(s.View.ScrollY, 44);
        EXPECT_EQ(s.gColBackground, 0x123456);
        EXPECT_EQ(s.RegionBoundaryColour, 0x654321);
        EXPECT_TRUE(s.GUseSmall);
        EXPECT_EQ(s.GLarge, 400);
        EXPECT_TRUE(s.Toggles.HideFillPoints);
        EXPECT_FALSE(s.Toggles.ShowAllCompensation);
        EXPECT_EQ(s.ImageContrast, 12.25);
        EXPECT_EQ(s.SOWNormal, 7);
        EXPECT_EQ(s.WorksheetMode, 0);
        EXPECT_EQ(s.Toggles.LongStitchLimit, 300);
        EXPECT_EQ(s.PointsUnder, 9);
        EXPECT_EQ(s.SimStitches, 77.5);
        EXPECT_TRUE(s.Toggles.ShowColumnHandles);
        EXPECT_EQ(s.TrueDetail, 3.5);
        EXPECT_FALSE(s.GridSuspend);
        EXPECT_EQ(s.Toggles.HideUnderlay, version > 1001 ? true : false);
        EXPECT_EQ(s.Image3DThickRun, version > 1004 ? 111 : 5);
        EXPECT_EQ(s.fgColor, version >= 1008 ? 0x0A0B0C : 0x111111);
        EXPECT_EQ(s.unWidth, version > 1010 ? 8.75 : 1.5);
        EXPECT_EQ(s.unTC, version > 1010 ? 0x0D0E0F : 0x222222);
        EXPECT_FALSE(s.Attributes.AttrPattern);
        EXPECT_EQ(s.Attributes.AttrUnderMargin, version >= 1006 ? false : true);
        EXPECT_EQ(s.Threads.TypeManIndex, 11);
        EXPECT_EQ(s.StitchOrder, file.StitchOrder);
        ASSERT_EQ(sew.Count(), 1);
        const TSLStitch& o = *sew[0];
        EXPECT_EQ(o.Kind(), KIND_STITCH);
        EXPECT_EQ(o.GroupId, 1);
        ASSERT_EQ(o.Count(), 2);
        EXPECT_EQ(o[1].X, 300.f);
        EXPECT_EQ(o[1].Y, 400.f);
        EXPECT_EQ(o.StitchLimits, DEFAULT_STITCH_LIMITS);
        ASSERT_EQ(sew.Groups.Count(), 1);
        EXPECT_EQ(sew.Groups[0].Id, 1);
        ASSERT_EQ(sew.Support.Count(), 1);
        EXPECT_EQ(sew.Support[0]->Rect.Right, 1999);
    }
}

TEST(WorksheetFile, EveryKindOfObjectRoundTripsExactly) {
    TSew sew;
    BuildEverything(sew, kStar);
    const std::vector<uint8_t> first = WorksheetBytes(sew, "every.Nl1");
    TSew back;
    ReadWorksheetBytes(first, back, "every.Nl1");
    const std::vector<uint8_t> second = WorksheetBytes(back, "every.Nl1");
    EXPECT_TRUE(second == first) << "a load and a save must keep every byte: "
                                 << FirstDifference(first, second);

    ASSERT_EQ(back.Count(), sew.Count());
    for (int32_t i = 0; i < sew.Count(); ++i) {
        SCOPED_TRACE(i);
        const TSLStitch& a = *sew[i];
        const TSLStitch& b = *back[i];
        EXPECT_EQ(a.Kind(), b.Kind());
        EXPECT_EQ(a.Flags, b.Flags);
        EXPECT_EQ(a.GroupId, b.GroupId);
        EXPECT_EQ(a.Count(), b.Count());
        const TSLStitch* sa = a.Stitches();
        const TSLStitch* sb = b.Stitches();
        ASSERT_EQ(sa == nullptr, sb == nullptr);
        if (sa) {
            EXPECT_EQ(sa->Count(), sb->Count());
        }
        // Rails are paired with their neighbours; region nodes refer to outlines of this worksheet.
        if (a.Flags & OF_RAIL_A) {
            EXPECT_EQ(b.Partner(), back[i + 1]);
        }
        if (a.Flags & OF_RAIL_B) {
            EXPECT_EQ(b.Partner(), back[i - 1]);
        }
        for (TSLStitch* u : b.UsedOutlines()) {
            EXPECT_GE(back.IndexOf(u), 0);
        }
    }
    ASSERT_EQ(back.Holes.size(), 1u);
    EXPECT_EQ(back.IndexOf(back.Holes[0]), sew.IndexOf(sew.Holes[0]));
    ASSERT_EQ(back.Overlays.size(), 1u);
    EXPECT_EQ(back.IndexOf(back.Overlays[0]), sew.IndexOf(sew.Overlays[0]));
    ASSERT_EQ(back.Groups.Count(), sew.Groups.Count());
    ASSERT_EQ(back.Support.Count(), 4);
    auto* picture = dynamic_cast<TObjectBitmap*>(back.Support[1]);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->Jpeg.size(), 9u);
    EXPECT_EQ(picture->FileName, "trace-me.jpg");
    auto* memo = dynamic_cast<TObjectText*>(back.Support[2]);
    ASSERT_TRUE(memo);
    EXPECT_EQ(memo->Lines, (std::vector<std::string>{"Thread: 40 wt", "Hoop: 100 x 100"}));
    EXPECT_TRUE(dynamic_cast<TObjectPatternCreator*>(back.Support[3]));
    EXPECT_EQ(back.Settings.View.Zoom, 180);
    EXPECT_EQ(back.Settings.Export.FileName, "/designs/last.dst");
    EXPECT_EQ(back.Settings.SimStitches, 12.5);
    EXPECT_EQ(back.Settings.WorksheetMode, 0);
    EXPECT_EQ(back.Settings.Attributes, sew.Settings.Attributes);
    EXPECT_FALSE(back.Modified);
}

TEST(WorksheetFile, RefusedFilesSayWhy) {
    TSew sample;
    MatchingSheet(sample);
    const std::vector<uint8_t> good = WorksheetBytes(sample, "x.Nl1");
    auto with = [&](size_t at, std::vector<uint8_t> patch) {
        std::vector<uint8_t> b = good;
        std::copy(patch.begin(), patch.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    auto le = [](int32_t v) {
        return std::vector<uint8_t>{static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                                    static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    };
    // From the end: the two lists, the frame (34 bytes) with its count, the object with its count.
    const size_t objects = good.size() - 4 - 4 - 34 - 4 - (4 + 1 + 24 + 4 + 17 + 1 + 4 + 24);
    const size_t kind = objects + 4;
    const size_t support = good.size() - 8 - 34 - 4;
    struct TCase {
        const char* What;
        std::vector<uint8_t> Bytes;
        TWorksheetFault Fault;
    } cases[] = {
        {"first int not 19", with(0, le(20)), TWorksheetFault::NotAWorksheet},
        {"header of another case", with(4, {'n'}), TWorksheetFault::NotAWorksheet},
        {"a newer version", with(23, le(1012)), TWorksheetFault::Newer},
        {"too short for a header", std::vector<uint8_t>(good.begin(), good.begin() + 10),
         TWorksheetFault::NotAWorksheet},
        {"a negative object count", with(objects, le(-1)), TWorksheetFault::Damaged},
        {"an object count beyond the data", with(objects, le(1 << 28)), TWorksheetFault::Damaged},
        {"an unknown object kind", with(kind, {9}), TWorksheetFault::Damaged},
        {"an unknown support kind", with(support + 4, {6}), TWorksheetFault::Damaged},
        {"a string longer than the file", with(27 + 4, le(1 << 30)), TWorksheetFault::Damaged},
    };
    for (const TCase& c : cases) {
        TSew sew;
        try {
            ReadWorksheetBytes(c.Bytes, sew, "bad.Nl1");
            ADD_FAILURE() << c.What << " was accepted";
        } catch (const TWorksheetError& e) {
            EXPECT_EQ(e.Fault, c.Fault) << c.What << ": " << e.what();
            EXPECT_NE(std::string(e.what()).find("bad.Nl1"), std::string::npos) << c.What;
        }
    }
    // Every cut of a file of every kind is refused with a reason, never a crash.
    TSew every;
    BuildEverything(every, kStar);
    const std::vector<uint8_t> big = WorksheetBytes(every, "every.Nl1");
    for (size_t cut = 0; cut < big.size(); cut += cut < 3000 ? 1 : 997) {
        TSew sew;
        EXPECT_THROW(ReadWorksheetBytes(std::span(big.data(), cut), sew, "cut.Nl1"), TWorksheetError) << cut;
    }
}

TEST(WorksheetFile, ReferencesThatDoNotResolve) {
    // Hole and overlay indices out of range or naming the wrong kind are skipped; a column rail
    // without its partner fails the load.
    TSew sew;
    BuildEverything(sew, kStar);
    std::vector<uint8_t> bytes = WorksheetBytes(sew, "r.Nl1");
    // The two lists are the last 16 bytes: count 1, index; count 1, index.
    auto put = [&](size_t fromEnd, int32_t v) {
        for (int k = 0; k < 4; ++k)
            bytes[bytes.size() - fromEnd + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (8 * k));
    };
    put(12, 100000); // hole index past the objects
    put(4, -3);      // negative overlay index
    // The flag bits decide membership: the bad entries are skipped and the flagged objects are
    // members all the same.
    TSew back;
    ReadWorksheetBytes(bytes, back, "r.Nl1");
    ASSERT_EQ(back.Holes.size(), 1u);
    ASSERT_EQ(back.Overlays.size(), 1u);
    EXPECT_EQ(back.IndexOf(back.Holes[0]), sew.IndexOf(sew.Holes[0]));
    EXPECT_EQ(back.IndexOf(back.Overlays[0]), sew.IndexOf(sew.Overlays[0]));
    // A duplicate entry and an entry naming an outline in the hole list give one hole.
    {
        const int32_t h = sew.IndexOf(sew.Holes[0]), o = sew.IndexOf(sew.Overlays[0]);
        std::vector<uint8_t> dup(bytes.begin(), bytes.end() - 16);
        for (int32_t v : {3, h, h, o, 1, o})
            for (int k = 0; k < 4; ++k)
                dup.push_back(static_cast<uint8_t>(v >> (8 * k)));
        TSew twice;
        ReadWorksheetBytes(dup, twice, "r.Nl1");
        ASSERT_EQ(twice.Holes.size(), 1u);
        EXPECT_EQ(twice.IndexOf(twice.Holes[0]), h);
        // Saved again, the hole list is the one entry.
        std::vector<uint8_t> again = WorksheetBytes(twice, "r.Nl1");
        EXPECT_EQ(again.size(), bytes.size());
    }
    // An entry naming an object without the bit is not a member.
    for (TSLStitch* o : {sew.Holes[0], sew.Overlays[0]})
        o->Flags &= ~(OF_COMPLEX_HOLE | OF_REGION_OVERLAY);
    std::vector<uint8_t> plain = WorksheetBytes(sew, "r.Nl1");
    EXPECT_EQ(plain.size(), bytes.size() - 8); // both lists saved empty
    TSew noHoles;
    ReadWorksheetBytes(bytes, noHoles, "r.Nl1"); // the old lists, with the bits cleared below
    for (int32_t i = 0; i < noHoles.Count(); ++i)
        noHoles[i]->Flags &= ~(OF_COMPLEX_HOLE | OF_REGION_OVERLAY);
    noHoles.SyncShapeLists();
    EXPECT_TRUE(noHoles.Holes.empty());
    EXPECT_TRUE(noHoles.Overlays.empty());

    TSew rails;
    AddColumn(rails, {{0, 0}, {100, 0}}, {{0, 50}, {100, 50}}, 0xFF);
    rails.Delete(1); // rail B gone
    TSew none;
    EXPECT_THROW(ReadWorksheetBytes(WorksheetBytes(rails, "c.Nl1"), none, "c.Nl1"), TWorksheetError);
}

TEST(WorksheetFile, SaveAndLoadOnDisk) {
    TTempDir dir;
    const fs::path file = dir.Path / "design.Nl1";
    TSew sew;
    BuildBadge(sew);
    SaveWorksheet(sew, file);
    TSew back;
    LoadWorksheet(file, back);
    EXPECT_EQ(back.FileName, file.string());
    const std::vector<uint8_t> onDisk = ReadWholeFile(file), again = WorksheetBytes(back, file.string());
    EXPECT_TRUE(onDisk == again) << FirstDifference(onDisk, again);

    TSew missing;
    try {
        LoadWorksheet(dir.Path / "nothing.Nl1", missing);
        ADD_FAILURE();
    } catch (const TWorksheetError& e) {
        EXPECT_EQ(e.Fault, TWorksheetFault::NotFound);
    }
    // A failed save says so and leaves the file there was.
    const std::vector<uint8_t> before = ReadWholeFile(file);
    fs::path blocked = dir.Path / "plain-file";
    WriteFileAtomic(blocked, before);
    try {
        SaveWorksheet(sew, blocked / "inside.Nl1");
        ADD_FAILURE();
    } catch (const TWorksheetError& e) {
        EXPECT_EQ(e.Fault, TWorksheetFault::CannotWrite);
    }
    EXPECT_EQ(ReadWholeFile(file), before);
}

TEST(WorksheetFile, ASaveKilledAtAnyMomentLeavesTheOldFileOrTheNew) {
    // A child saves two different worksheets over one file, again and again; it is killed at a
    // random moment. What is left is one of the two files, whole.
    TTempDir dir;
    const fs::path file = dir.Path / "busy.Nl1";
    TSew a, b;
    BuildBadge(a);
    BuildEverything(b, kStar);
    const std::vector<uint8_t> bytesA = WorksheetBytes(a, file.string());
    const std::vector<uint8_t> bytesB = WorksheetBytes(b, file.string());
    SaveWorksheet(a, file);
    std::mt19937 random(12345);
    for (int round = 0; round < 12; ++round) {
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i)
                SaveWorksheet(i % 2 ? a : b, file);
        }
        usleep(2000 + random() % 40000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        std::vector<uint8_t> left = ReadWholeFile(file);
        EXPECT_TRUE(left == bytesA || left == bytesB) << "round " << round << ": " << left.size() << " bytes";
    }
}
