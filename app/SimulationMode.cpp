// The Sew Simulation mode: entered from the selection's design, left by the simulator window's
// Exit. While it runs the worksheet view shows the design as sewn so far and every command is
// unavailable (the mode has no availability bit).
#include "app/MainForm.h"
#include "app/RegionMode.h"
#include "core/Numeric.h"
#include "platform/Canvas.h"

namespace nl {

bool TNL::StartSimulation(const std::vector<TSLStitch*>* order) {
    if (mode_ == TMode::SewSimulation) return true;
    if (creation_ != TCreation::None) FinishCreation();
    placement_ = TPlacement::None;
    host_.ClosePropertiesWindow();
    // The simulator's speed, view options and colours are the worksheet's (saved with it).
    const TWorksheetSettings& s = Sew.Settings;
    simulator_->Settings.Speed = s.SimStitches;
    simulator_->Settings.ShowPoints = s.SimPoint;
    simulator_->Settings.KeepInView = s.SimView;
    simulator_->Settings.Background = s.rgColor;
    simulator_->Settings.NeedleColour = s.fgColor;
    // Refused (with its message) when there is nothing to sew: the mode stays as it was.
    if (!simulator_->Open(Sew, StitchContext(), order)) {
        Redraw();
        return false;
    }
    if (IsRegionMode(mode_)) regionMode_->Leave();
    previousMode_ = mode_;
    mode_ = TMode::SewSimulation;
    host_.SetPrompt("");
    CommandsChanged();
    host_.ShowSimulatorWindow();
    SimulationChanged();
    Redraw();
    return true;
}

void TNL::ExitSimulation() {
    if (mode_ != TMode::SewSimulation) return;
    TWorksheetSettings& s = Sew.Settings;
    s.SimStitches = simulator_->Settings.Speed;
    s.SimPoint = simulator_->Settings.ShowPoints;
    s.SimView = simulator_->Settings.KeepInView;
    s.rgColor = simulator_->Settings.Background;
    s.fgColor = simulator_->Settings.NeedleColour;
    simulator_->Close();
    host_.CloseSimulatorWindow();
    // Back to the mode the simulation was started from (a mode without entry actions: the
    // simulation starts only from Object Layout, Design And Editing or the stitch order mode).
    mode_ = previousMode_;
    previousMode_ = TMode::SewSimulation;
    host_.SetPrompt("");
    // Back in the stitch order mode its panel shows again.
    if (IsOrderMode(mode_)) host_.ShowOrderPanel();
    CommandsChanged();
    Redraw();
}

TSimViewport TNL::SimulationView() const {
    TSimViewport v;
    v.Scale = View.Scale();
    v.OriginX = View.ScrollX / v.Scale;
    v.OriginY = View.ScrollY / v.Scale;
    v.Width = View.Width;
    v.Height = View.Height;
    return v;
}

void TNL::SimulationChanged() {
    if (mode_ == TMode::SewSimulation && simulator_->IsOpen()) {
        // "Keep Stitching In View": the worksheet view follows the needle.
        TSimViewport v = SimulationView();
        if (simulator_->KeepNeedleInView(v)) {
            View.ScrollX = RoundI(v.OriginX * v.Scale);
            View.ScrollY = RoundI(v.OriginY * v.Scale);
        }
    }
    host_.SimulatorChanged();
}

void TNL::DrawOverlay(Canvas& canvas) const {
    if (mode_ == TMode::SewSimulation) simulator_->DrawNeedle(canvas, SimulationView());
}

} // namespace nl
