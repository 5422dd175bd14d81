// A numeric field or a check box of a properties page as data: what a dialog shows (caption,
// unit, range, decimals) and how the value reaches the object (getter and setter in the shown
// unit). A page is a list of these rows, and a dialog is a thin view over the list.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace nl {

class TSLCurve;

// What the properties window says when it refuses a typed value (the field keeps its previous
// value): the field's range in its unit, or that the text is not a number.
//   "Compensation: 15 is outside the range 0 to 12 mm. The previous value is kept."
std::string RangeRefusal(const std::string& caption, const std::string& entered, double min, double max,
                         const std::string& unit);
//   "Passes: \"abc\" is not a number. The previous value is kept."
std::string NumberRefusal(const std::string& caption, const std::string& entered);
// A bound as the window shows it: no trailing zeros ("0", "0.1", "1.999", "-360").
std::string BoundText(double v);

template <class T> struct TFieldRow {
    std::string Caption;
    std::string Unit;
    double Min = 0.0;
    double Max = 0.0;
    int Decimals = 0;
    std::function<double(const T&)> Get;   // value in the shown unit
    std::function<void(T&, double)> Set;   // converts to the stored unit and stores
    std::function<bool(const T&)> Applies; // null: the field always applies
    // The entry rule: a value outside the range is refused (the old value kept) or, with Clamps,
    // brought into the range. Slack widens the range at both ends before refusing.
    bool Clamps = false;
    double Slack = 0.001;

    // The value to store for an entry, or nothing when the entry is refused.
    std::optional<double> Entry(double v) const {
        if (!std::isfinite(v)) return std::nullopt;
        if (Clamps) return std::clamp(v, Min, Max);
        if (v < Min - Slack || v > Max + Slack) return std::nullopt;
        return v;
    }
    bool Accepts(double v) const { return Entry(v).has_value(); }
    // Why `entered` (the text typed) was refused.
    std::string Refusal(const std::string& entered) const {
        return RangeRefusal(Caption, entered, Min, Max, Unit);
    }
};

template <class T> struct TToggleRow {
    std::string Caption;
    std::function<bool(const T&)> Get;
    std::function<void(T&, bool)> Set;
    std::function<bool(const T&)> Applies; // null: the check box always applies
    // One of a group of choices: checking it replaces the others, unchecking it does nothing.
    bool OneOf = false;
};

// Sets or clears bits of a flag word.
inline void SetBits(uint32_t& word, uint32_t bits, bool on) {
    if (on)
        word |= bits;
    else
        word &= ~bits;
}

// A check box that sets or clears one bit of a flag word of the object (T names the page's object,
// Base the class that declares the word).
template <class T, class Base>
TToggleRow<T> FlagToggle(std::string caption, uint32_t Base::*word, uint32_t bit,
                         std::function<bool(const T&)> applies = nullptr) {
    return {std::move(caption), [word, bit](const T& o) { return (o.*word & bit) != 0; },
            [word, bit](T& o, bool on) { SetBits(o.*word, bit, on); }, std::move(applies)};
}

// The rows of the curve pages.
using TFieldDesc = TFieldRow<TSLCurve>;
using TToggleDesc = TToggleRow<TSLCurve>;

// Outcome of applying an entered value.
enum class TApply { Accepted, Refused, NotApplicable };

} // namespace nl
