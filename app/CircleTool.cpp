// The circle tool of the controller: after the click that sets the centre the default circle
// follows the pointer; the next click fixes the radius and runs the "Circle Attributes Dialog"
// (modal, through Host) on the circle in the worksheet.
#include "app/MainForm.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"
#include "ui/CircleDialog.h"

namespace nl {

void TNL::CircleFollow(double x, double y) {
    if (creation_ != TCreation::Circle || !creating_ || circleDialog_) return;
    circleR_ = Distance(circleCx_, circleCy_, x, y);
    auto& circle = static_cast<TSLCurve&>(*creating_);
    SetCircle(circle, circleCx_, circleCy_, circleR_);
    circle.UpdateBounds(StitchContext());
    Redraw();
}

void TNL::OpenCircleDialog(double x, double y) {
    if (creation_ != TCreation::Circle || !creating_ || circleDialog_) return;
    auto& circle = static_cast<TSLCurve&>(*creating_);
    circleR_ = Distance(circleCx_, circleCy_, x, y);
    host_.SetPrompt("");
    host_.SetStatus("");
    // The circle and the parts its dialog makes are one step.
    TUndoStep step(Sew, "Create Circle", {});
    step.Created(creating_);
    step.SetModifiedBefore(modifiedBeforeCreation_);
    circleDialog_ = std::make_unique<TCircleDialog>(Sew, circle, circleCx_, circleCy_, circleR_,
                                                    StitchContext(), host_, [this] { Redraw(); });
    // Parts of a circle drawn inside a stitch pattern creator belong to it as the circle does.
    circleDialog_->Added = [this](TSLCurve& part) {
        if (!creator_) return;
        part.Flags |= OF_PATTERN_MEMBER;
        if (Services.AddPatternMember) Services.AddPatternMember(*creator_, part);
    };
    circleDialog_->Removing = [this](TSLCurve& gone) {
        if (creator_ && Services.RemovePatternMember) Services.RemovePatternMember(*creator_, gone);
    };
    circleDialog_->Open();
    Redraw();
    host_.ShowCircleDialog();

    // A dialog closed some other way than its buttons keeps what it built, as OK does.
    const bool destroyed = circleDialog_->State() == TCircleDialog::TState::Destroyed;
    circleDialog_.reset();
    if (destroyed) {
        creating_ = nullptr;
        Sew.Modified = modifiedBeforeCreation_;
        ForgetRemovedObjects();
    } else {
        Sew.SetCurrent(&circle);
        Sew.MarkModified();
    }
    ClearCreationState();
}

} // namespace nl
