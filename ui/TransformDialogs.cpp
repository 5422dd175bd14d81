#include "ui/TransformDialogs.h"

#include <algorithm>
#include <cmath>
#include <exception>

namespace nl {

// ---- rotate ----

TRotateDialog::TRotateDialog(TTransformSet& set, const TStitchContext& ctx, std::function<void()> changed)
    : set_(set), ctx_(ctx), changed_(std::move(changed)) {}

void TRotateDialog::SetAngle(double degrees) {
    if (!std::isfinite(degrees)) return;
    angle_ = std::clamp(degrees, MinAngle, MaxAngle);
    set_.Rotate(angle_, ctx_);
    if (changed_) changed_();
}

void TRotateDialog::Cancel() {
    SetAngle(0);
    closed_ = true;
}

// ---- resize ----

TResizeDialog::TResizeDialog(TTransformSet& set, const TStitchContext& ctx, Host& host,
                             std::function<void()> changed)
    : set_(set), ctx_(ctx), host_(host), changed_(std::move(changed)) {
    const TKvRect& b = set_.Bounds();
    extentW_ = b.empty ? 0 : std::max(1, b.Right - b.Left);
    extentH_ = b.empty ? 0 : std::max(1, b.Bottom - b.Top);
}

double TResizeDialog::Value(TResizeField f) const {
    switch (f) {
    case TResizeField::WidthMm:
        return extentW_ / 2000.0 * wPct_;
    case TResizeField::HeightMm:
        return extentH_ / 2000.0 * hPct_;
    case TResizeField::WidthPercent:
        return wPct_;
    case TResizeField::HeightPercent:
        return hPct_;
    }
    return 0;
}

bool TResizeDialog::Set(TResizeField f, double v) {
    if (!std::isfinite(v) || extentW_ <= 0) return false;
    double w = wPct_, h = hPct_;
    switch (f) {
    case TResizeField::WidthMm:
        w = std::clamp(v, MinMm, MaxMm) * 20 * 100 / extentW_;
        if (Constrain) h = w;
        break;
    case TResizeField::HeightMm:
        h = std::clamp(v, MinMm, MaxMm) * 20 * 100 / extentH_;
        if (Constrain) w = h;
        break;
    case TResizeField::WidthPercent:
        w = std::clamp(v, MinPercent, MaxPercent);
        if (Constrain) h = w;
        break;
    case TResizeField::HeightPercent:
        h = std::clamp(v, MinPercent, MaxPercent);
        if (Constrain) w = h;
        break;
    }
    // Neither side may shrink below 3 mm; a side that is thinner already (a straight line) may
    // still grow.
    auto tooSmall = [](double extent, double pct, double nowPct) {
        const double mm = extent / 2000.0 * pct;
        return mm < MinMm - 1e-9 && pct < nowPct;
    };
    if (tooSmall(extentW_, w, wPct_) || tooSmall(extentH_, h, hPct_)) return false;
    return Apply(w, h);
}

bool TResizeDialog::Apply(double w, double h) {
    try {
        if (w == 100 && h == 100)
            set_.Restore(ctx_); // exactly as it was
        else
            set_.Scale(w, h, ScaleEnvelopes, ctx_);
    } catch (const std::exception&) {
        // The targets are back as they were: the user's work is kept and the program goes on.
        host_.MessageDialog("Scaling Error",
                            "An Object Could Not Be Scaled. The Selection Was Put Back As It Was.",
                            Buttons(TButton::OK));
        wPct_ = hPct_ = 100;
        if (changed_) changed_();
        return false;
    }
    wPct_ = w;
    hPct_ = h;
    if (changed_) changed_();
    return true;
}

bool TResizeDialog::Reset() {
    if (host_.MessageDialog("Reset To original Values",
                            "Any Scale Changes Made So Far Will Be Lost. OK To Continue ?",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    Apply(100, 100);
    return true;
}

void TResizeDialog::Cancel() {
    if (Reset()) closed_ = true;
}

} // namespace nl
