// A numeric field of a properties page as data: what a dialog shows (caption, unit, range,
// decimals) and how the value reaches the object (getter and setter in the shown unit).
// A dialog is a thin view over a list of these.
#pragma once
#include <functional>
#include <string>

namespace nl {

class TSLCurve;

struct TFieldDesc {
    std::string Caption;
    std::string Unit;
    double Min = 0.0;
    double Max = 0.0;
    int Decimals = 0;
    std::function<double(const TSLCurve&)> Get;   // value in the shown unit
    std::function<void(TSLCurve&, double)> Set;   // converts to the stored unit and stores
    std::function<bool(const TSLCurve&)> Applies; // null: the field always applies

    // The numeric entry rule: within the range, with a tolerance of 0.001.
    bool Accepts(double v) const { return v >= Min - 0.001 && v <= Max + 0.001; }
};

// Outcome of applying an entered value.
enum class TApply { Accepted, Refused, NotApplicable };

// A check box of a page.
struct TToggleDesc {
    std::string Caption;
    std::function<bool(const TSLCurve&)> Get;
    std::function<void(TSLCurve&, bool)> Set;
    std::function<bool(const TSLCurve&)> Applies;
};

} // namespace nl
