// The "Rotate Object Dialog" and the "Resize Object Dialog" as models: their values, ranges and
// entry rules, and what every accepted change does to the selection (through a transform set that
// recomputes every object from its copy). The desktop face shows them modally through Host.
#pragma once
#include <functional>

#include "platform/Host.h"
#include "stitching/StitchContext.h"
#include "worksheet/Transform.h"

namespace nl {

class TRotateDialog {
public:
    static constexpr const char* Title = "Rotate Object Dialog";
    static constexpr double MinAngle = -360, MaxAngle = 360;

    TRotateDialog(TTransformSet& set, const TStitchContext& ctx, std::function<void()> changed);
    double Angle() const { return angle_; }
    // Degrees, clockwise; out of range is clamped to the bound. Rotates from the copies.
    void SetAngle(double degrees);
    // "Cancel": back to 0. Either button closes the dialog.
    void Cancel();
    void Ok() { closed_ = true; }
    bool Closed() const { return closed_; }

private:
    TTransformSet& set_;
    TStitchContext ctx_;
    std::function<void()> changed_;
    double angle_ = 0;
    bool closed_ = false;
};

enum class TResizeField : uint8_t { WidthMm, HeightMm, WidthPercent, HeightPercent };

class TResizeDialog {
public:
    static constexpr const char* Title = "Resize Object Dialog";
    static constexpr double MinMm = 3, MaxMm = 720, MinPercent = 1, MaxPercent = 1000;

    TResizeDialog(TTransformSet& set, const TStitchContext& ctx, Host& host, std::function<void()> changed);
    double Value(TResizeField f) const;
    // Sets a field (clamped to its range) and rescales; false when refused (either dimension would
    // be under 3 mm, or the scaling failed), the fields keeping their old values.
    bool Set(TResizeField f, double value);
    bool Constrain = true;      // "Constrain Proportions"
    bool ScaleEnvelopes = true; // "Scale Outline Envelopes"
    // "Reset": asks, then back to the initial sizes. True when reset.
    bool Reset();
    // "Cancel": Reset, and closes only when the user agreed.
    void Cancel();
    void Ok() { closed_ = true; }
    bool Closed() const { return closed_; }

private:
    TTransformSet& set_;
    TStitchContext ctx_;
    Host& host_;
    std::function<void()> changed_;
    double extentW_, extentH_; // initial extents, units
    double wPct_ = 100, hPct_ = 100;
    bool closed_ = false;
    bool Apply(double wPct, double hPct);
};

} // namespace nl
