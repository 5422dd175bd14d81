// Version numbers of the worksheet file: the one this program writes, and the first version in
// which each versioned field appeared. Readers accept every version up to the current one and
// take a field only from files of its version or later; object streams (clipboard, scaleable
// designs, patterns, fonts) carry no version and always hold every field.
#pragma once
#include <cstdint>

namespace nl {

// Written into every worksheet file and every pattern record.
constexpr int32_t kVersionCurrent = 1011;
// The first version; a pattern record value below it is an EditPoints count from before patterns
// carried a version, and such a pattern is remembered as version kVersionUnstamped.
constexpr int32_t kVersionFirst = 1000;
constexpr int32_t kVersionUnstamped = 999;

// Object records.
constexpr int32_t kVersionRegionUnderlay = 1002;   // region: UnderRotation .. UnderOffset
constexpr int32_t kVersionExitIndex = 1003;        // curve: ExitIndex
constexpr int32_t kVersionDensity = 1004;          // curve and region: a density, before it a spacing
constexpr int32_t kVersionStitchLimits = 1005;     // base record: StitchLimits
constexpr int32_t kVersionFillFields = 1007;       // curve: FillPitch, FillOffsets, four integers
constexpr int32_t kVersionStoredEntryExit = 1009;  // region: EntryX, EntryY, ExitX, ExitY
constexpr int32_t kVersionUnderMarginFloat = 1010; // region: UnderMargin as float64, before as int32

// Worksheet file settings.
constexpr int32_t kVersionShowUnderlay = 1002;     // "show underlay" button state
constexpr int32_t kVersion3DThickness = 1005;      // 3D thread thickness of running and fill stitches
constexpr int32_t kVersionAttrSwitches12 = 1006;   // the last twelve attribute copy switches
constexpr int32_t kVersionSimulatorColours = 1008; // simulator colour and foreground colour
constexpr int32_t kVersionRegionRules = 1009;      // older files: every region is rebuilt on loading
constexpr int32_t kVersionRuler = 1011;            // the ruler settings

} // namespace nl
