// Creating objects with the mouse: direct stitch objects point by point, outlines, line objects,
// circles (the centre, then the radius) and curved columns (rail A, then rail B with as many
// points as rail A).
// A line object is straight: every click is an anchor, and the two control points of each segment
// sit on its chord at one and two thirds, so what the user clicks is what gets stitched.
#include <string>

#include "app/MainForm.h"
#include "regions/Support.h"
#include "stitching/Circle.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
constexpr const char* kEndPrompt = " Right Click With Mouse To End Creation";
constexpr const char* kDueText = " Points To Create For Group Correct Completion.";

// The name of the undo step that takes a new object back.
const char* CreationStepName(TCreation c) {
    switch (c) {
    case TCreation::DirectStitch:
        return "Create Direct Stitch";
    case TCreation::Outline:
        return "Create Outline";
    case TCreation::ColumnRailA:
    case TCreation::ColumnRailB:
        return "Create Curved Column";
    case TCreation::Circle:
        return "Create Circle";
    case TCreation::Line:
        return "Create Line Object";
    default:
        return "Create";
    }
}

// An outline path is 3k + 1 control points with k >= 1.
bool CompleteCurve(int32_t n) {
    return n >= 4 && (n - 1) % 3 == 0;
}
} // namespace

void TNL::StartCreation(TCreation kind) {
    if (creation_ != TCreation::None) FinishCreation();
    if (mode_ != TMode::DesignEdit) SetMode(TMode::DesignEdit);
    placement_ = TPlacement::None;
    creation_ = kind;
    pointsDue_ = 1;
    Toggles.Mode3D = false;
    switch (kind) {
    case TCreation::DirectStitch:
        host_.SetPrompt(" Left Click To Start Stitch Object. Right Click To Terminate.");
        break;
    case TCreation::ColumnRailA:
        host_.SetPrompt(" Left Click To Start A Curved Column. Right Click To Terminate.");
        break;
    default:
        host_.SetPrompt(" Left Click To Start An Outline Object. Right Click To Terminate.");
        break;
    }
    host_.SetStatus("");
    CommandsChanged();
}

TSLStitch* TNL::CurrentRail() const {
    return creation_ == TCreation::ColumnRailB ? railB_ : creating_;
}

void TNL::AddCreationPoint(TSLStitch& obj, float x, float y) {
    obj.Append(TSP::Plain(0, x, y));
    obj.UpdateBounds(StitchContext());
}

void TNL::AddLineAnchor(TSLCurve& line, float x, float y) {
    line.Append(TSP::Plain(0, x, y));
    line.Append(TSP::Plain(0, x, y));
    line.Append(TSP::Plain(0, x, y));
    line.StraightenSegment(line.SegmentCount() - 1);
    line.UpdateBounds(StitchContext());
}

void TNL::CreationClick(float x, float y) {
    if (Extending()) return ExtensionClick(x, y);
    if (!creating_) {
        modifiedBeforeCreation_ = Sew.Modified;
        Sew.ClearSelection(OF_SELECTED_EDIT);
        creator_ = Services.PatternCreatorAt ? Services.PatternCreatorAt(x, y) : nullptr;
        std::unique_ptr<TSLStitch> obj;
        if (creation_ == TCreation::DirectStitch) {
            obj = std::make_unique<TSLStitch>();
            obj->Flags = OF_SELECTED_EDIT | OF_NEEDLE_POINTS | OF_DIRECT;
            obj->Append(TSP::Colour(0, x, y, DEFAULT_OBJECT_COLOUR));
        } else {
            auto curve = std::make_unique<TSLCurve>();
            curve->SetStitchTypeBits(ST_NONE);
            if (creation_ == TCreation::Line) curve->StitchFlags |= SF_LINE_OBJECT;
            if (creation_ == TCreation::ColumnRailA) {
                curve->Flags |= OF_RAIL_A;
                curve->SetStitchTypeBits(ST_SATIN);
                pendingRailB_ = std::make_unique<TSLCurve>();
                pendingRailB_->Flags = OF_RAIL_B | OF_RAIL_B_NOT_STARTED | OF_RAIL_B_NOT_FINISHED;
                pendingRailB_->SetStitchTypeBits(ST_SATIN);
                pendingRailB_->PartnerRail = curve.get();
                curve->PartnerRail = pendingRailB_.get();
            }
            curve->Append(TSP::Plain(0, x, y));
            if (creation_ == TCreation::Circle) {
                // All seven points at once, on the centre until the pointer moves away.
                circleCx_ = x;
                circleCy_ = y;
                circleR_ = 0;
                SetCircle(*curve, x, y, 0);
            }
            obj = std::move(curve);
        }
        if (Toggles.CreateHighlighted) {
            obj->Flags |= OF_SELECTED_EDIT;
            if (pendingRailB_) pendingRailB_->Flags |= OF_SELECTED_EDIT;
        }
        if (creator_) {
            obj->Flags |= OF_PATTERN_MEMBER;
            if (creation_ == TCreation::DirectStitch) obj->Flags |= OF_SNAP_GRID;
            if (pendingRailB_) pendingRailB_->Flags |= OF_PATTERN_MEMBER;
        }
        creating_ = Sew.Add(std::move(obj));
        if (creator_ && Services.AddPatternMember) Services.AddPatternMember(*creator_, *creating_);
        creating_->UpdateBounds(StitchContext());
    } else if (creation_ == TCreation::Circle) {
        // The click after the centre fixes the radius and opens the dialog.
        OpenCircleDialog(x, y);
        return;
    } else if (creation_ == TCreation::ColumnRailB) {
        // Rail B takes exactly as many points as rail A; further clicks are ignored.
        if (railB_->Count() >= creating_->Count()) {
            ShowDueStatus();
            return;
        }
        AddCreationPoint(*railB_, x, y);
    } else if (creation_ == TCreation::Line) {
        AddLineAnchor(static_cast<TSLCurve&>(*creating_), x, y);
    } else {
        AddCreationPoint(*creating_, x, y);
    }
    if (creation_ == TCreation::ColumnRailB) {
        pointsDue_ = creating_->Count() - railB_->Count();
    } else if (--pointsDue_ <= 0) {
        pointsDue_ = PointsPerGroup(creation_);
    }
    Sew.MarkModified();
    ShowDueStatus();
    Redraw();
}

void TNL::ShowDueStatus() {
    bool complete;
    switch (creation_) {
    case TCreation::DirectStitch:
        complete = true;
        break;
    case TCreation::ColumnRailB:
        complete = pointsDue_ <= 0;
        break;
    default:
        complete = creating_ && CompleteCurve(creating_->Count());
        break;
    }
    host_.SetStatus(complete ? std::string(kEndPrompt) : std::to_string(pointsDue_) + kDueText);
}

void TNL::CreationEndStep() {
    if (Extending()) return EndExtension(true);
    if (!creating_) {
        // A right click before the first point just cancels.
        CancelCreation();
        return;
    }
    if (creation_ == TCreation::Circle) {
        // A right click opens the dialog too, with the radius reached by the pointer.
        OpenCircleDialog(View.WorldX(lastX_), View.WorldY(lastY_));
        return;
    }
    if (creation_ == TCreation::ColumnRailA) {
        if (!CompleteCurve(creating_->Count())) {
            host_.SetStatus(" You Still Have " + std::to_string(pointsDue_) +
                            " Points To Create To Finish The First Part Of A Curved Column.");
            return;
        }
        int32_t at = Sew.IndexOf(creating_) + 1;
        pendingRailB_->ClearFlags(OF_RAIL_B_NOT_STARTED);
        railB_ = static_cast<TSLCurve*>(Sew.Insert(at, std::move(pendingRailB_)));
        Sew.SetCurrent(creating_);
        creation_ = TCreation::ColumnRailB;
        pointsDue_ = creating_->Count();
        host_.SetPrompt("Left Click To Create Second Part Of Curved Column.");
        host_.SetStatus("");
        Redraw();
        return;
    }
    if (creation_ == TCreation::ColumnRailB && railB_->Count() < creating_->Count()) {
        // A column's rails must pair point for point; refuse to end short.
        host_.SetStatus(std::to_string(creating_->Count() - railB_->Count()) + kDueText);
        return;
    }
    FinishCreation();
}

void TNL::FinishCreation() {
    if (Extending()) return EndExtension(true);
    if (creation_ == TCreation::None) return;
    TStitchContext ctx = StitchContext();
    bool keep = creating_ != nullptr;
    if (creating_) {
        switch (creation_) {
        case TCreation::Outline:
        case TCreation::Line: {
            // Trailing points that do not complete a segment are dropped; a path needs a segment.
            int32_t n = creating_->Count();
            int32_t whole = n >= 4 ? 1 + 3 * ((n - 1) / 3) : 0;
            if (whole < 4) {
                keep = false;
            } else {
                while (creating_->Count() > whole)
                    creating_->Delete(creating_->Count() - 1);
                creating_->UpdateBounds(ctx);
            }
            break;
        }
        case TCreation::ColumnRailA:
            keep = false;
            break; // no rail B: not a column
        case TCreation::Circle:
            // Left without its dialog (another command or mode): the default circle stays when it
            // has a usable size.
            keep = circleR_ >= CIRCLE_RADIUS_MIN;
            if (keep) creating_->UpdateBounds(ctx);
            break;
        case TCreation::ColumnRailB:
            if (railB_->Count() != creating_->Count()) {
                keep = false;
            } else {
                railB_->ClearFlags(OF_RAIL_B_NOT_FINISHED);
                creating_->SetFlags(OF_VISIBLE);
                railB_->UpdateBounds(ctx);
                creating_->UpdateBounds(ctx);
            }
            break;
        default:
            creating_->UpdateBounds(ctx);
            break;
        }
    }
    if (!keep && creating_) {
        CancelCreation();
        return;
    }
    if (creating_) {
        TUndoStep step(Sew, CreationStepName(creation_), {});
        step.Created(creating_);
        if (railB_) step.Created(railB_);
        step.SetModifiedBefore(modifiedBeforeCreation_);
    }
    ClearCreationState();
}

void TNL::ClearCreationState() {
    creation_ = TCreation::None;
    creating_ = nullptr;
    railB_ = nullptr;
    pendingRailB_.reset();
    creator_ = nullptr;
    pointsDue_ = 0;
    host_.SetPrompt("");
    host_.SetStatus("");
    CommandsChanged();
    Redraw();
}

void TNL::CancelCreation() {
    if (Extending()) return EndExtension(false);
    if (creating_) {
        if (creator_ && Services.RemovePatternMember) Services.RemovePatternMember(*creator_, *creating_);
        if (dragObject_ == creating_ || dragObject_ == railB_) dragObject_ = nullptr;
        Sew.DeleteObject(creating_); // both rails when rail B is already in the list
        Sew.Modified = modifiedBeforeCreation_;
    }
    ClearCreationState();
}

} // namespace nl
