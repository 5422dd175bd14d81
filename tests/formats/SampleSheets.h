// Worksheets built in code: one of every kind of object, and the example designs shipped in
// examples/ (made by make_examples.cpp from these same functions, never by hand).
#pragma once
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "../regions/TestShapes.h"
#include "formats/Import.h"
#include "regions/SLRegion.h"
#include "regions/Support.h"
#include "stitching/SLCurve.h"
#include "stitching/SLFont.h"
#include "worksheet/Sew.h"

namespace nl::test {

// A closed Bezier circle of four segments (13 control points).
inline std::unique_ptr<TSLCurve> Circle(float cx, float cy, float r) {
    const float k = 0.5523f * r;
    const float pts[13][2] = {{cx, cy - r},     {cx + k, cy - r}, {cx + r, cy - k}, {cx + r, cy},
                              {cx + r, cy + k}, {cx + k, cy + r}, {cx, cy + r},     {cx - k, cy + r},
                              {cx - r, cy + k}, {cx - r, cy},     {cx - r, cy - k}, {cx - k, cy - r},
                              {cx, cy - r}};
    auto c = std::make_unique<TSLCurve>();
    for (auto& p : pts)
        c->Append(TSP::Plain(0, p[0], p[1]));
    c->Flatten();
    return c;
}

inline TSLCurve* AddCurve(TSew& sew, std::unique_ptr<TSLCurve> c, const TStitchContext& ctx = {}) {
    auto* curve = static_cast<TSLCurve*>(sew.Add(std::move(c)));
    curve->UpdateBounds(ctx);
    return curve;
}

inline TSLCurve* AddRunning(TSew& sew, std::unique_ptr<TSLCurve> c, int32_t colour) {
    c->Flags |= OF_VISIBLE | OF_RUNNING;
    c->SetStitchTypeBits(ST_RUNNING);
    c->Color = colour;
    c->OrderIndex = ORDER_UNPLACED;
    return AddCurve(sew, std::move(c));
}

inline TSLCurve* AddSatinOutline(TSew& sew, std::unique_ptr<TSLCurve> c, int32_t colour, float height = 30) {
    c->Flags |= OF_VISIBLE;
    c->SetStitchTypeBits(ST_SATIN);
    c->Color = colour;
    c->OrderIndex = ORDER_UNPLACED;
    c->Outlines = TOutlineList::MakeDefault(c->AnchorCount());
    for (int32_t i = 0; i < c->Outlines->Count(); ++i) {
        TOutline& o = *(*c->Outlines)[i];
        o.HeightA = o.HeightB = o.CtrlHeight1A = o.CtrlHeight2A = o.CtrlHeight1B = o.CtrlHeight2B = height;
    }
    return AddCurve(sew, std::move(c));
}

// A curved column between two polylines of equal corner counts; returns rail A.
inline TSLCurve* AddColumn(TSew& sew, const std::vector<std::pair<float, float>>& a,
                           const std::vector<std::pair<float, float>>& b, int32_t colour) {
    auto railA = Polyline(a), railB = Polyline(b);
    railA->Flags |= OF_RAIL_A | OF_VISIBLE;
    railB->Flags |= OF_RAIL_B;
    railA->SetStitchTypeBits(ST_SATIN);
    railB->SetStitchTypeBits(ST_SATIN);
    railA->Color = colour;
    railA->OrderIndex = ORDER_UNPLACED;
    railB->Density = 0;
    auto* ra = static_cast<TSLCurve*>(sew.Add(std::move(railA)));
    auto* rb = static_cast<TSLCurve*>(sew.Add(std::move(railB)));
    LinkRails(*ra, *rb, {});
    return ra;
}

// A tatami region filling the closed outline.
inline TSLRegion* AddRegion(TSew& sew, TSLCurve& outline, int32_t colour, float rotation = 0) {
    auto* rg = static_cast<TSLRegion*>(sew.Add(RegionOn(outline)));
    rg->Flags &= ~OF_HIGHLIGHT;
    rg->FillColor = colour;
    rg->Rotation = rotation;
    rg->OrderIndex = ORDER_UNPLACED;
    rg->RegenerateFill({});
    return rg;
}

// Binds every object from index `first` on into a new layout group, in list order.
inline int32_t GroupFrom(TSew& sew, int32_t first) {
    sew.ClearSelection(OF_SELECTED_LAYOUT);
    for (int32_t i = first; i < sew.Count(); ++i)
        sew[i]->Flags |= OF_SELECTED_LAYOUT;
    int32_t id = sew.ComposeGroup();
    sew.BuildStitchOrder(id);
    sew.ClearSelection(OF_SELECTED_LAYOUT);
    return id;
}

// The badge: a tatami disc inside a satin border.
inline void BuildBadge(TSew& sew) {
    const int32_t first = sew.Count();
    TSLCurve* edge = AddCurve(sew, Circle(1000, 1000, 700));
    AddRegion(sew, *edge, 0x8C3A1E, 45);                         // deep blue
    AddSatinOutline(sew, Circle(1000, 1000, 720), 0x30B8E8, 40); // gold
    AddRunning(sew, Polyline({{700, 1000}, {850, 850}, {1000, 1000}, {1150, 850}, {1300, 1000}}), 0xFFFFFF);
    GroupFrom(sew, first);
}

// Several regions and outlines in different colours, and a column.
inline void BuildMultiColour(TSew& sew) {
    const int32_t first = sew.Count();
    const int32_t colours[] = {0x3C14DC, 0x32CD32, 0xFF901E, 0x00D7FF};
    for (int i = 0; i < 4; ++i) {
        float x = 200.f + 450.f * static_cast<float>(i % 2), y = 200.f + 450.f * static_cast<float>(i / 2);
        TSLCurve* sq = AddCurve(sew, ClosedOutline(Square(x, y, 400)));
        AddRegion(sew, *sq, colours[i], static_cast<float>(30 * i));
        AddRunning(sew, Circle(x + 200, y + 200, 120), 0x202020);
    }
    AddColumn(sew, {{200, 1200}, {650, 1120}, {1050, 1200}}, {{200, 1320}, {650, 1240}, {1050, 1320}},
              0x8B008B);
    GroupFrom(sew, first);
}

// A machine file imported as a direct stitch object in its own group.
inline void BuildImported(TSew& sew, const std::string& machineFile) {
    AddImport(sew, ReadStitchFile(machineFile, IMPORT_DEFAULT_FILTER_INDEX, 1000, 1000));
}

// One of everything the worksheet file holds: every object kind, support objects of every kind,
// holes and overlays, groups and settings away from their defaults.
inline void BuildEverything(TSew& sew, const std::string& machineFile) {
    BuildMultiColour(sew);
    TSLCurve* line = AddRunning(sew, Polyline({{100, 2000}, {900, 2000}}), 0x0000FF);
    line->StitchFlags |= SF_LINE_OBJECT;
    AddSatinOutline(sew, Polyline({{100, 2200}, {500, 2300}, {900, 2200}}), 0x00FF00);
    auto* direct = sew.AddNew<TSLStitch>();
    direct->Flags |= OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    direct->Append(TSP::Plain(0, 100, 2500));
    direct->MarkColourStart(0);
    for (int i = 1; i < 20; ++i)
        direct->Append(TSP::Plain(0, 100.f + 30.f * i, 2500.f + 40.f * (i % 2)));
    direct->JumpVia = TSP::Plain(0, 800, 2600);
    direct->UpdateBounds({});
    auto* text = sew.AddNew<TSLFont>();
    text->Flags |= OF_NEEDLE_POINTS | OF_VISIBLE;
    for (int i = 0; i < 6; ++i)
        text->Append(TSP::Plain(0, 1200.f + 20.f * i, 2500.f + 30.f * (i % 2)));
    text->UpdateBounds({});
    BuildImported(sew, machineFile);
    // The first region is a complex hole, the first outline an overlay.
    for (int32_t i = 0; i < sew.Count(); ++i) {
        if (sew[i]->Kind() == KIND_REGION && sew.Holes.empty()) {
            sew[i]->Flags |= OF_COMPLEX_HOLE;
            sew.Holes.push_back(sew[i]);
        }
        if (sew[i]->Kind() == KIND_CURVE && !static_cast<TSLCurve*>(sew[i])->IsRail() &&
            sew.Overlays.empty()) {
            sew[i]->Flags |= OF_REGION_OVERLAY;
            sew.Overlays.push_back(sew[i]);
        }
    }
    auto picture = std::make_unique<TObjectBitmap>();
    picture->Rect.Set(2000, 0, 2612, 612);
    picture->Jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 0xFF, 0xD9};
    picture->FileName = "trace-me.jpg";
    sew.Support.Add(std::move(picture));
    auto memo = std::make_unique<TObjectText>();
    memo->Lines = {"Thread: 40 wt", "Hoop: 100 x 100"};
    sew.Support.Add(std::move(memo));
    sew.Support.Add(std::make_unique<TObjectPatternCreator>());
    TWorksheetSettings& s = sew.Settings;
    s.View.Zoom = 180;
    s.View.ScrollX = 40;
    s.View.ScrollY = -20;
    s.Toggles.HideBoundaryPoints = true;
    s.Toggles.HideUnderlay = true;
    s.Toggles.ShowRegionNodeTypes = true;
    s.Toggles.LongStitchLimit = 240;
    s.Export = {"/designs/last.dst", 4};
    s.Import = {"/designs/in.exp", 5};
    s.PatternFileName = "wave.KVP";
    s.Threads.CatalogChoice = 2;
    s.Threads.TypeManIndex = 7;
    s.SimStitches = 12.5;
    s.rgColor = 0x102030;
    s.unWidth = 25.5;
    s.Attributes.AttrUnderMargin = false;
    s.StitchOrder.Switches[3] = true;
    s.StitchOrder.EditPane = 2;
    s.WorksheetMode = 0;
}

} // namespace nl::test
