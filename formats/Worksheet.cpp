#include "formats/Worksheet.h"

#include <algorithm>
#include <cctype>
#include <type_traits>

#include "core/BinaryIO.h"
#include "core/FileIO.h"
#include "core/FileVersion.h"
#include "core/Numeric.h"
#include "core/RecordIO.h"
#include "regions/Support.h"
#include "stitching/SLCurve.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {

// The smallest stitch object record: kind, flags, group, mark, stitch flags, tatami minimum,
// order, the bounds rectangle, the via-point flag and the point count. Bounds the object count.
constexpr size_t MIN_OBJECT_RECORD = 1 + 4 * 6 + 17 + 1 + 4;

// The first settings block: remembered dialog filters, the view, the painters' colours, the grid,
// the display toggles, the stitch-order display and the worksheet mode.
template <class IO, class S> void SettingsBlockA(IO& io, S& s) {
    auto& t = s.Toggles;
    io.Field(s.Export.FilterIndex, s.Import.FilterIndex, s.View.Zoom, s.View.ScrollX, s.View.ScrollY);
    io.Field(s.gColBackground, s.BackgroundColour2, s.MajorGridColour, s.MinorGridColour,
             s.DirectStitchColour);
    io.Field(s.OutlineColour1, s.OutlineColour2, s.OutlineNodeColour, s.OutlineHandleColour,
             s.StitchPointColour, s.StitchPointColour2, s.OutlinePointColour1, s.OutlinePointColour2,
             s.SelectedPointColour, s.OutlineAuxColour, s.RegionBoundaryColour);
    io.Field(s.GUseLarge, s.GUseSmall, s.GridDrawing, s.GLarge, s.GSmall, s.GridSetting3, s.GridSetting4);
    io.Field(t.HideBitmaps, s.OutlineLoaderSwitch, s.OutlineEditSwitch);
    io.Field(t.HideBoundaryPoints, t.HideUnderStitching, t.HideFillPoints, t.ShowAllCompensation,
             t.RotateMode);
    io.Field(s.ImageThick, s.ImageContrast, t.Mode3D, s.KvNormal);
    io.Field(s.SOJToTop, s.SOJToTop2, s.SOJToTop3, s.SOJToTop4, s.SOJump, s.SOWNormal, s.SOWNormalOption,
             s.SOJNormal, s.SOJToTop5);
    io.Field(s.ShadingColour, s.OrderHighlightColour, s.OrderHighlight, s.PropertiesColour, s.OrderHighlight2,
             s.OrderDrawing, s.WorksheetMode);
    if constexpr (IO::Reading) {
        // A zoom outside the view's range would divide by zero or overflow the pixel mapping.
        s.View.Zoom = Clamp(s.View.Zoom, ZOOM_MIN, ZOOM_MAX);
        s.View.ScrollX = Clamp(s.View.ScrollX, -(1 << 30), 1 << 30);
        s.View.ScrollY = Clamp(s.View.ScrollY, -(1 << 30), 1 << 30);
    }
}

// The second settings block: lengths, colours, the simulator, the tool-bar buttons, the 3D view
// and, from later versions on, the underlay button, 3D thread thickness, simulator colours and
// the ruler.
template <class IO, class S> void SettingsBlockB(IO& io, S& s) {
    auto& t = s.Toggles;
    io.Field(t.LongStitchLimit, s.PointsUnder, s.MaxlengOption1, s.MaxlengOption2);
    io.Field(s.ImagePreviewColour, s.ColourTable1, s.ColourTable2, s.BackColor, s.StitchHighlight1,
             s.StitchHighlight2, s.SelectionOutline, s.SelectionColour, s.SelectionFrameColour1,
             s.SelectionFrameColour2);
    io.Field(s.SimStitches, s.SimPoint, s.SimView, s.KvHigh);
    io.Field(s.DrawingSwitch1, s.SelectionFrame1Shown, s.SelectionFrame2Shown);
    io.Field(t.SmallStitchPoints, t.ShowZigzagHandles, t.ShowRegionPaths, t.ShowColumnHandles,
             t.HighlightOutlinesInLayout, t.HighlightRegionsInLayout, t.ShowRegionNodeTypes);
    io.Field(s.Renderer3D, s.TrueBlend, s.TrueDepth, s.TrueShad, s.TrueSep, s.TrueSaturation, s.TrueDetail,
             s.BrightnessTrack, s.TrueFull3D, s.Kv3DColor, s.GridSuspend);
    // Fields a version lacks keep the value they had (the worksheet's, before the load).
    io.Since(kVersionShowUnderlay, t.HideUnderlay, t.HideUnderlay);
    io.Since(kVersion3DThickness, s.Image3DThickRun, s.Image3DThickRun);
    io.Since(kVersion3DThickness, s.Image3DThickFill, s.Image3DThickFill);
    io.Since(kVersionSimulatorColours, s.rgColor, s.rgColor);
    io.Since(kVersionSimulatorColours, s.fgColor, s.fgColor);
    if (io.Has(kVersionRuler))
        io.Field(s.unGradSize, s.unText, s.UnMetric, s.unWidth, s.unGrads, s.RulerPainter, s.unMC, s.unTC);
}

template <class IO, class A> void AttributeSwitches(IO& io, A& a) {
    io.Field(a.AttrType, a.AttrVisible, a.AttrColor, a.AttrDensity, a.AttrRotation, a.AttrUnder, a.AttrPitch,
             a.AttrOffset, a.AttrSplit, a.AttrPasses, a.AttrComp, a.AttrPattern);
    if (io.Has(kVersionAttrSwitches12))
        io.Field(a.AttrMin, a.AttrMax, a.AttrUseUnder, a.AttrUnderType, a.AttrUnderDensity, a.AttrUnderPitch,
                 a.AttrUnderOffset, a.AttrUseRotation, a.AttrUnderRotation, a.AttrUnderSetRot,
                 a.AttrUnderSetRot90, a.AttrUnderMargin);
}

template <class IO, class O> void StitchOrderOptions(IO& io, O& o) {
    io.Field(o.ElementHighlightColour, o.RegionHighlightColour, o.Switches, o.EditPane, o.Option);
}

// Everything after the version: items 3 to 14 of the file, in order. `fileName` is the name the
// file records as its own; `holes` and `overlays` are the two lists as object indices.
template <class IO, class W>
void WorksheetFields(IO& io, W& sew, std::string& fileName, std::vector<int32_t>& holes,
                     std::vector<int32_t>& overlays) {
    auto& s = sew.Settings;
    io.Field(s.Threads.CatalogChoice);
    io.Field(s.Import.FileName, s.Export.FileName, fileName, s.PatternFileName, s.SnapshotFileName);
    SettingsBlockA(io, s);
    sew.Groups.Record(io);
    SettingsBlockB(io, s);
    AttributeSwitches(io, s.Attributes);
    io.Field(s.Threads.TypeManIndex);
    StitchOrderOptions(io, s.StitchOrder);

    int32_t n = sew.Count();
    io.Count(n, MIN_OBJECT_RECORD, "object count");
    if constexpr (IO::Reading) {
        sew.Clear();
        sew.SetCapacity(n);
        for (int32_t i = 0; i < n; ++i)
            sew.Add(ReadObject(io));
    } else {
        for (int32_t i = 0; i < n; ++i)
            WriteObject(io, *sew[i]);
    }
    sew.Support.Record(io);
    io.Items(holes, 4, "hole count", [&](auto& i) { io.Field(i); });
    io.Items(overlays, 4, "overlay count", [&](auto& i) { io.Field(i); });
}

std::vector<int32_t> IndicesOf(const TSew& sew, const std::vector<TSLStitch*>& list) {
    std::vector<int32_t> out;
    out.reserve(list.size());
    for (TSLStitch* o : list)
        if (int32_t i = sew.IndexOf(o); i >= 0) out.push_back(i);
    return out;
}

} // namespace

std::vector<uint8_t> WorksheetBytes(TSew& sew, const std::string& fileName) {
    sew.RenumberIds();
    sew.Support.Renumber();
    sew.Support.NumberLocks([&sew](const TSLStitch* o) { return sew.IndexOf(o); });
    TByteWriter w;
    size_t points = 0;
    for (const auto& o : sew)
        points += static_cast<size_t>(o->Count());
    w.Reserve(4096 + points * 16);
    w.String(WORKSHEET_HEADER);
    w.I32(kVersionCurrent);
    TRecordContext ctx;
    ctx.Version = kVersionCurrent;
    ctx.OutlineMarkOf = [](const TSLCurve* c) { return c->Mark; };
    TRecordWriter io(w, ctx, TRecordForm::Worksheet);
    std::string name = fileName;
    sew.SyncShapeLists();
    std::vector<int32_t> holes = IndicesOf(sew, sew.Holes), overlays = IndicesOf(sew, sew.Overlays);
    WorksheetFields(io, std::as_const(sew), name, holes, overlays);
    return w.Take();
}

TWorksheetInfo ReadWorksheetBytes(std::span<const uint8_t> bytes, TSew& sew, const std::string& fileName,
                                  const TStitchContext& ctx) {
    TByteReader r(bytes);
    const std::string header = WORKSHEET_HEADER;
    auto notAWorksheet = [&] {
        return TWorksheetError(TWorksheetFault::NotAWorksheet, fileName, "not a Nordelune worksheet");
    };
    if (r.Remaining() < 4 + header.size() + 4 || r.I32() != static_cast<int32_t>(header.size()))
        throw notAWorksheet();
    if (std::string(reinterpret_cast<const char*>(r.Span(header.size()).data()), header.size()) != header)
        throw notAWorksheet();
    TWorksheetInfo info;
    info.Version = r.I32();
    if (info.Version > kVersionCurrent)
        throw TWorksheetError(TWorksheetFault::Newer, fileName,
                              "written by a newer version (" + std::to_string(info.Version) + ")");
    try {
        TRecordContext rc;
        rc.Version = info.Version;
        TRecordReader io(r, rc, TRecordForm::Worksheet);
        std::string storedName;
        std::vector<int32_t> holes, overlays;
        WorksheetFields(io, sew, storedName, holes, overlays);
        sew.AfterLoad(ctx, info.Version, holes, overlays);
        info.StoredFileName = storedName;
    } catch (const TWorksheetError&) {
        throw;
    } catch (const TError& e) {
        throw TWorksheetError(TWorksheetFault::Damaged, fileName, e.what());
    } catch (const std::bad_alloc&) {
        throw TWorksheetError(TWorksheetFault::Damaged, fileName, "not enough memory to read the file");
    }
    return info;
}

void SaveWorksheet(TSew& sew, const std::filesystem::path& file) {
    std::vector<uint8_t> bytes = WorksheetBytes(sew, file.string());
    try {
        WriteFileAtomic(file, bytes);
    } catch (const TError& e) {
        throw TWorksheetError(TWorksheetFault::CannotWrite, file.string(), e.what());
    }
}

TWorksheetInfo LoadWorksheet(const std::filesystem::path& file, TSew& sew, const TStitchContext& ctx) {
    const std::string name = file.string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw TWorksheetError(TWorksheetFault::NotFound, name, "no such file");
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(file);
    } catch (const TError& e) {
        throw TWorksheetError(TWorksheetFault::Damaged, name, e.what());
    }
    TWorksheetInfo info = ReadWorksheetBytes(bytes, sew, name, ctx);
    sew.FileName = name;
    return info;
}

bool IsWorksheetName(const std::filesystem::path& file) {
    std::string ext = file.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".nl1";
}

} // namespace nl
