// TSewSimulator: replays the needle points of one design in sewing order, step by step or
// animated by the platform's timer, and keeps the picture of what has been sewn so far. It is
// headless: a window shows its state and calls its controls; tests call Tick() themselves.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "sewing/SimPainter.h"
#include "sewing/SimulationList.h"
#include "stitching/StitchContext.h"

namespace nl {

class TSew;
class TSLStitch;

constexpr const char* SIM_ERROR_HEADING = "Stitch Error";
constexpr const char* SIM_NO_STITCHES_TEXT = "This Embroidery Object Contains No Stitches. Mode Aborted !";
constexpr int SIM_TICK_MS = 40;
constexpr double SIM_TICKS_PER_SECOND = 1000.0 / SIM_TICK_MS;
constexpr double SIM_MIN_SPEED = 1.0;
constexpr double SIM_MAX_SPEED = 10000.0;

// Settings that last for the whole run (the worksheet file stores them).
struct TSimSettings {
    double Speed = 40.0;    // "Stitches Per Second"
    bool ShowPoints = true; // "Show Stitching Points"
    bool KeepInView = true; // "Keep Stitching In View"
    int32_t Background = 0x00353544;
    int32_t NeedleColour = 0x00E2E2EB;
    TJumpLook Jumps = TJumpLook::Dashed;
};

class TSewSimulator {
public:
    explicit TSewSimulator(Host& host) : host_(host) {}
    ~TSewSimulator();
    TSewSimulator(const TSewSimulator&) = delete;
    TSewSimulator& operator=(const TSewSimulator&) = delete;

    // ---- opening and closing ----
    // The group of the first object carrying the layout selection with a group id; 0 when none.
    static int32_t SelectedDesign(const TSew& sew);
    // Opens on that group's design (or on `order`, the list of the stitch order mode), regenerated
    // for output and flattened as export writes it; the objects go back to their editing state
    // afterwards. Without such a group, or when the design has no stitches, says so with the
    // "Stitch Error" message and returns false.
    bool Open(TSew& sew, const TStitchContext& editing, const std::vector<TSLStitch*>* order = nullptr);
    // Opens on a list made elsewhere (a stitch file read back); an empty list is refused as above.
    bool Open(TSimulationList list, int32_t group = 0);
    // Stops the timer and empties the list.
    void Close();
    bool IsOpen() const { return open_; }
    int32_t Design() const { return group_; }
    const TSimulationList& List() const { return list_; }

    // ---- state ----
    int32_t Cursor() const { return cursor_; }
    int32_t Count() const { return list_.Count(); }
    TPointF Needle() const;
    // The thread colour in force at the cursor, and its colour block.
    int32_t CurrentColour() const { return list_.ColourAt(cursor_); }
    int32_t CurrentBlock() const { return list_.BlockAt(cursor_); }
    bool Playing() const { return playing_; }
    double Speed() const { return Settings.Speed; }
    double StepPerTick() const { return step_; }
    double Fraction() const { return fraction_; }

    // ---- controls ----
    void Play();
    void Pause();
    void PlayPause() { playing_ ? Pause() : Play(); }
    // "Restart Sew Simulation": stopped at the first point.
    void Rewind();
    void StepForward();
    void StepBack();
    void NextBlock();
    void PreviousBlock();
    // The stitch number field: 1-based, rounded, clamped to 1..count. Works while playing too
    // (playing goes on from there). False for a value that is not a number.
    bool GoToStitch(double number);
    // "Stitches Per Second": refused (false) outside 1..10 000 beyond a tolerance of 0.001.
    bool SetSpeed(double stitchesPerSecond);
    // One wheel notch: a stitch forward (up) or back.
    void Wheel(bool up);
    // The timer: advances by the whole stitches the fractional step has gathered. Returns the
    // number of points advanced.
    int32_t Tick();

    // ---- what the window shows ----
    std::string PlayCaption() const { return playing_ ? "Pause" : "Play"; }
    std::string Status() const;
    bool BackEnabled() const { return open_ && !playing_ && cursor_ > 0; }
    bool ForwardEnabled() const { return open_ && !playing_ && cursor_ < Count() - 1; }
    bool RewindEnabled() const { return open_ && !playing_; }

    // Called after every change of cursor or state (the window refreshes its controls).
    std::function<void()> Changed;
    // The window changed Settings: the picture is drawn again in the new look.
    void SettingsChanged() { Notify(); }

    // ---- drawing ----
    // Brings the picture on `canvas` (which keeps what was drawn on it before) up to the cursor.
    void DrawPicture(Canvas& canvas, const TSimViewport& view, float markerSize);
    void DrawNeedle(Canvas& canvas, const TSimViewport& view) const;
    // "Keep Stitching In View": when the needle is near or beyond the edge of the view, moves the
    // view so that it is in the middle. True when the view moved.
    bool KeepNeedleInView(TSimViewport& view) const;
    TSimPainter& Painter() { return painter_; }

    TSimSettings Settings;

private:
    void MoveTo(int32_t index);
    void StopTimer();
    void Notify();
    bool Refuse();

    Host& host_;
    TSimulationList list_;
    TSimPainter painter_;
    bool open_ = false;
    int32_t group_ = 0;
    int32_t cursor_ = 0;
    bool playing_ = false;
    double step_ = 40.0 / SIM_TICKS_PER_SECOND;
    double fraction_ = 0.0;
};

} // namespace nl
