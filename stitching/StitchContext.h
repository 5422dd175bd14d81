// Worksheet-wide state that an object needs while it regenerates, draws or hit-tests.
// It is passed in; objects never reach up to the worksheet or the controller.
#pragma once
#include <cstdint>
#include <functional>

#include "core/KvRect.h"

namespace nl {

class Canvas;
class TSLStitch;
class TSLRegion;
class TSLCurve;
class TFillRaster;
class TMarkerGrid;

// View toggles that change what objects draw.
struct TViewToggles {
    bool ShowStitches = true;
    bool ShowStitchPoints = true;
    bool HideBoundaryPoints = false; // "Hide Boundary Stitch Points"
    bool HideFillPoints = false;     // "Hide Pattern And Fill Stitch Points"
    bool HideUnderStitching = false; // "Hide Under Stitching"
    bool HideUnderlay = false;       // "Hide Underlay Stitches"
    bool ShowColumnHandles = true;   // "Show Curved Column Handles"
    bool ShowOutlines = true;        // outline paths
    bool ShowCompensation = true;    // "Show All Design Compensation " (on until the user hides it)
    bool Realistic = false;          // 3D view
    // Draw the object with the highlight look: a broad band along its path, under its stitches.
    bool Highlight = false;
    // Above 0: satin stitches whose X or Y extent exceeds this many units are drawn in the
    // highlight colour ("Highlight Long Satin Stitches"). The owner of the stitches decides
    // whether they are satin work.
    int32_t LongStitchLimit = 0;
};

// The highlight look (0x00BBGGRR): long stitches in a strong orange, paths on a pale yellow band.
constexpr int32_t HIGHLIGHT_COLOUR = 0x000090FF;
constexpr int32_t HIGHLIGHT_BAND_COLOUR = 0x0070F0FF;
constexpr float HIGHLIGHT_BAND_WIDTH = 7.f;

struct TStitchContext {
    int32_t SelectionMargin = 1; // hit margin in worksheet units (3 screen pixels at the zoom)
    int32_t PickTolerance = 3;   // near margin in worksheet units
    bool CtrlHeld = false;
    bool BatchTransform = false; // scaling or rotating a selection of several objects
    bool ForExport = false;      // export always generates with compensation
    TViewToggles View;
    // Called when a generation error switches an object off (closes the properties window).
    std::function<void()> OnGenerationError;
    // Called after an outline changed shape, so regions built on it refill.
    std::function<void(TSLStitch&)> OnOutlineChanged;
    // Region fill seams: complex holes drawn into a region's fill raster ("Allow Complex Holes"),
    // and overlay outlines piercing a finished fill (unless "Dont Allow Overlays"). The hole seam
    // is told whether the pass is the underlay, which keeps its margin from the holes too.
    std::function<void(const TSLRegion&, TFillRaster&, bool underlay)> DrawRegionHoles;
    std::function<void(const TSLRegion&, TSLStitch&)> PierceRegionOverlays;
    // The same for the stitches of an outline or a column (unless "Dont Allow Overlays"): the
    // overlay outlines that cross them, other than the curve itself, put a needle point there.
    std::function<void(const TSLCurve&, TSLStitch&)> PierceOutlineOverlays;
    // Called after an object became or stopped being a complex hole or an overlay outline, so
    // the regions it shapes refill.
    std::function<void(TSLStitch&)> OnShapingChanged;
};

// How worksheet units map to the device: screen = (unit - Origin) * Scale.
struct TDrawContext {
    Canvas* Target = nullptr;
    double Scale = 1.0; // pixels per worksheet unit
    double OriginX = 0.0;
    double OriginY = 0.0;
    TViewToggles View;
    TKvRect Clip; // visible worksheet rectangle; objects outside it are skipped
    bool ClipValid = false;
    float MarkerSize = 3.f;
    // Needle point markers are placed only where this grid has room (they would hide the thread
    // where the stitches lie close on the screen); null: every point is marked.
    TMarkerGrid* Markers = nullptr;
    TKvRect* Selection = nullptr; // DrawLayout joins selected objects' bounds into this

    float SX(double x) const { return static_cast<float>((x - OriginX) * Scale); }
    float SY(double y) const { return static_cast<float>((y - OriginY) * Scale); }
};

} // namespace nl
