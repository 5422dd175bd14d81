// The structure edits of outlines and curved columns from the context menu: "Split Outline",
// "Join Outlines" (the Point Join mode: the end points that can be joined are highlighted, a first
// click marks the other curve, a second click on one of its end points joins), "Insert Segment"
// (three clicks place a new segment after the node, as when an outline is created), the drawing
// order of stitch objects and "Copy Stitching To Clipboard". Each change is one undo step.
//
// A fill region is built on the sample positions of its outlines, so splitting, joining or
// inserting a segment into an outline it uses would leave its nodes on a different path: these
// edits are refused on such outlines, with a message that says so.
#include "app/CurveStructure.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>

#include "app/MainForm.h"
#include "app/Shaping.h"
#include "formats/Clipboard.h"
#include "formats/Export.h"
#include "formats/FlattenDesign.h"
#include "platform/Canvas.h"
#include "regions/CurveSplitJoin.h"
#include "stitching/SLCurve.h"

namespace nl {

TCurveEditState::TCurveEditState() = default;
TCurveEditState::~TCurveEditState() = default;

namespace {
constexpr const char* kJoinPrompt = " Click On A Highlighted Point To Start The Join To Process. ( Or The "
                                    "Worksheet To Exit ).";
constexpr const char* kJoinSecondPrompt =
    " Click On A Highlighted Point Of The Marked Curve To Join It. ( Or The Worksheet To Exit ).";
constexpr const char* kExtendPrompt =
    " Left Click To Place The New Segment After The Node. Right Click To Terminate.";
constexpr const char* kEndPrompt = " Right Click With Mouse To End Creation";
constexpr const char* kDueText = " Points To Create For Group Correct Completion.";
constexpr int32_t kJoinEnd = 0x0000A000;    // dark green: end points that can be joined
constexpr int32_t kJoinStart = 0x000080FF;  // orange: the end the join starts from
constexpr int32_t kJoinMarked = 0x00FF0000; // blue: the end points of the marked curve

bool IsColumnCurve(const TSLCurve& c) {
    return c.IsRail();
}

std::string Noun(const TSLCurve& c) {
    return IsColumnCurve(c) ? "Curved Column" : "Outline";
}

// Whether a fill region of the worksheet is built on the curve (either rail of a column).
bool BoundsRegion(const std::vector<TSLStitch*>& objects, const TSLCurve& c) {
    for (const TSLStitch* o : objects) {
        if (o->Kind() != KIND_REGION) continue;
        for (const TSLStitch* u : o->UsedOutlines())
            if (u == &c || (c.PartnerRail && u == c.PartnerRail)) return true;
    }
    return false;
}

// The per-kind caption of the drawing order items ("Bring Outline To Top").
std::string OrderCaption(const TSLStitch& o, bool top) {
    const char* kind = o.Kind() == KIND_REGION   ? "Region"
                       : o.Kind() == KIND_STITCH ? "Direct Stitch"
                                                 : "Outline";
    return top ? std::string("Bring ") + kind + " To Top" : std::string("Send ") + kind + " To Bottom";
}
} // namespace

// ---- context menu items ----

void TNL::AddStructureItems(std::vector<TContextItem>& items, TSLCurve& curve, int32_t node) const {
    TSLCurve& head = ColumnHead(curve);
    const bool member = (curve.Flags & OF_PATTERN_MEMBER) != 0;
    if (!member && node >= 0 && node % 3 == 0 && node < curve.Count()) {
        // A new segment goes into an outline's path; a column's rails would lose their pairing.
        TContextItem insert{"Insert Segment", CMD_INSERT_SEGMENT};
        insert.Enabled = !IsColumnCurve(curve);
        items.push_back(insert);
        if (IsInnerAnchor(head, node)) items.push_back({"Split " + Noun(curve), CMD_SPLIT_CURVE});
        if (IsEndAnchor(head, node)) items.push_back({"Join " + Noun(curve) + "s", CMD_JOIN_CURVES});
    }
    AddOrderItems(items, curve);
}

void TNL::AddOrderItems(std::vector<TContextItem>& items, const TSLStitch& o) const {
    if (o.Flags & OF_PATTERN_MEMBER) return;
    for (bool top : {true, false}) {
        const auto order = DrawingOrderAfter(top, const_cast<TSLStitch*>(&o));
        items.push_back({OrderCaption(o, top), top ? CMD_BRING_TO_TOP : CMD_SEND_TO_BOTTOM,
                         !order.empty() && order != Objects()});
    }
}

void TNL::AddLayoutItems(std::vector<TContextItem>& items, const TSLStitch& o) const {
    items.push_back({"Copy Stitching To Clipboard", CMD_COPY_STITCHING, !(o.Flags & OF_PATTERN_MEMBER)});
    for (bool top : {true, false}) {
        const auto order = DrawingOrderAfter(top);
        items.push_back({top ? "Bring To Top" : "Send To Bottom", top ? CMD_BRING_TO_TOP : CMD_SEND_TO_BOTTOM,
                         !order.empty() && order != Objects()});
    }
}

bool TNL::RunStructureCommand(int32_t code, TSLStitch& target, int32_t node) {
    switch (code) {
    case CMD_BRING_TO_TOP:
    case CMD_SEND_TO_BOTTOM:
        // In Object Layout mode the items act on the selection (which the object joined when
        // nothing was selected); in Design And Editing mode on the object under the pointer.
        ChangeDrawingOrder(code == CMD_BRING_TO_TOP, mode_ == TMode::ObjectLayout ? nullptr : &target);
        return true;
    case CMD_COPY_STITCHING:
        Sew.SetCurrent(&target);
        CopyStitching();
        return true;
    default:
        break;
    }
    if (target.Kind() != KIND_CURVE) return false;
    auto& curve = static_cast<TSLCurve&>(target);
    switch (code) {
    case CMD_SPLIT_CURVE:
        SplitCurveAt(curve, node);
        return true;
    case CMD_JOIN_CURVES:
        StartPointJoin(curve, node);
        return true;
    case CMD_INSERT_SEGMENT:
        StartExtension(curve, node);
        return true;
    default:
        return false;
    }
}

bool TNL::RefusedOnRegion(const TSLCurve& curve, const std::string& heading, const std::string& text) {
    if (!BoundsRegion(Objects(), curve)) return false;
    host_.MessageDialog(heading, text, Buttons(TButton::OK));
    return true;
}

// ---- split ----

bool TNL::SplitCurveAt(TSLCurve& curve, int32_t node) {
    TSLCurve& head = ColumnHead(curve);
    if (!IsInnerAnchor(head, node) || (head.Flags & OF_PATTERN_MEMBER)) return false;
    const std::string heading = "Split " + Noun(head);
    if (RefusedOnRegion(head, heading,
                        "A Fill Region Is Built On This " + Noun(head) +
                            ". Splitting It Would Break The Region's Boundary, So Nothing Was Changed."))
        return false;
    TUndoStep step(Sew, "Split", {&head});
    const TKvRect before = head.Bounds;
    std::vector<std::unique_ptr<TSLStitch>> parts = SplitCurve(head, node, StitchContext());
    if (parts.empty()) {
        step.Cancel();
        return false;
    }
    // The new part follows the curve it came from, in drawing order and in stitching order.
    int32_t at = Sew.IndexOf(head.PartnerRail && head.IsRail() ? static_cast<TSLStitch*>(head.PartnerRail)
                                                               : static_cast<TSLStitch*>(&head)) +
                 1;
    std::vector<TSLStitch*> changed{&head};
    for (auto& p : parts)
        changed.push_back(Sew.Insert(at++, std::move(p)));
    Sew.SyncShapeLists();
    Sew.SetCurrent(&head);
    Sew.MarkModified();
    TKvRect area = before;
    for (TSLStitch* o : changed)
        if (!o->Bounds.empty) area.UnionWith(o->Bounds);
    if (!area.empty) ShapingChanged(changed, area);
    Sew.ComputeSelectionKind();
    CommandsChanged();
    Redraw();
    return true;
}

// ---- join: the Point Join mode ----

void TNL::StartPointJoin(TSLCurve& curve, int32_t node) {
    TSLCurve& head = ColumnHead(curve);
    if (!IsEndAnchor(head, node) || (head.Flags & OF_PATTERN_MEMBER)) return;
    curveEdit_.JoinFirst = &head;
    curveEdit_.JoinFirstAtEnd = node != 0;
    curveEdit_.JoinMarked = nullptr;
    SetMode(TMode::PointJoin);
    host_.SetPrompt(kJoinPrompt);
}

TSLCurve* TNL::JoinFirst() const {
    return mode_ == TMode::PointJoin && Sew.IndexOf(curveEdit_.JoinFirst) >= 0 ? curveEdit_.JoinFirst
                                                                               : nullptr;
}

TSLCurve* TNL::JoinMarked() const {
    return JoinFirst() && Sew.IndexOf(curveEdit_.JoinMarked) >= 0 ? curveEdit_.JoinMarked : nullptr;
}

void TNL::LeavePointJoin() {
    if (TSLCurve* m = curveEdit_.JoinMarked; m && Sew.IndexOf(m) >= 0) {
        m->ClearFlags(OF_REGION_MARK_1);
        if (m->PartnerRail) m->PartnerRail->ClearFlags(OF_REGION_MARK_1);
    }
    curveEdit_.JoinFirst = curveEdit_.JoinMarked = nullptr;
    host_.SetStatus("");
}

TSLCurve* TNL::JoinEndAt(int32_t x, int32_t y, bool& atEnd) const {
    TSLCurve* first = JoinFirst();
    if (!first) return nullptr;
    const double wx = View.WorldX(x), wy = View.WorldY(y), m = View.NearMargin();
    for (TSLStitch* o : Objects()) {
        if (o->Kind() != KIND_CURVE) continue;
        auto& c = static_cast<TSLCurve&>(*o);
        TSLCurve& head = ColumnHead(c);
        if (!CanJoinCurves(*first, head)) continue;
        for (int32_t k : {0, c.Count() - 1}) {
            if (std::fabs(c[k].X - wx) <= m && std::fabs(c[k].Y - wy) <= m) {
                atEnd = k != 0;
                return &head;
            }
        }
    }
    return nullptr;
}

void TNL::PointJoinClick(int32_t x, int32_t y) {
    TSLCurve* first = JoinFirst();
    bool atEnd = true;
    TSLCurve* hit = first ? JoinEndAt(x, y, atEnd) : nullptr;
    if (!hit) {
        // Any other click leaves the mode.
        LeavePointJoin();
        SetMode(previousMode_ == TMode::PointJoin ? TMode::DesignEdit : previousMode_);
        host_.SetPrompt("");
        return;
    }
    if (hit != curveEdit_.JoinMarked) {
        // The first click marks the curve to join.
        if (TSLCurve* old = JoinMarked()) {
            old->ClearFlags(OF_REGION_MARK_1);
            if (old->PartnerRail) old->PartnerRail->ClearFlags(OF_REGION_MARK_1);
        }
        curveEdit_.JoinMarked = hit;
        hit->SetFlags(OF_REGION_MARK_1);
        if (hit->PartnerRail) hit->PartnerRail->SetFlags(OF_REGION_MARK_1);
        host_.SetPrompt(kJoinSecondPrompt);
        Redraw();
        return;
    }
    // The second click on a point of the marked curve joins at that point.
    LeavePointJoin();
    const TMode back = previousMode_ == TMode::PointJoin ? TMode::DesignEdit : previousMode_;
    JoinCurvesAt(*first, curveEdit_.JoinFirstAtEnd, *hit, atEnd);
    SetMode(back);
    host_.SetPrompt("");
}

bool TNL::JoinCurvesAt(TSLCurve& first, bool firstAtEnd, TSLCurve& second, bool secondAtEnd) {
    if (!CanJoinCurves(first, second)) return false;
    const std::string heading = "Join " + Noun(first) + "s";
    const std::string why = "A Fill Region Is Built On One Of These " + Noun(first) +
                            "s. Joining Them Would Break The Region's Boundary, So Nothing Was Changed.";
    if (RefusedOnRegion(first, heading, why) || RefusedOnRegion(second, heading, why)) return false;
    host_.ClosePropertiesWindow();
    TUndoStep step(Sew, "Join", {&first, &second});
    TKvRect area = first.Bounds;
    if (!second.Bounds.empty) area.UnionWith(second.Bounds);
    const TStitchContext ctx = StitchContext();
    if (!JoinCurves(first, firstAtEnd, second, secondAtEnd, ctx)) {
        step.Cancel();
        return false;
    }
    // The second curve (both rails of a column) goes, letting go of its jump links on both sides;
    // regions it shaped as a hole or an overlay fill again.
    TShapingLoss loss({&second});
    Sew.DeleteObject(&second);
    RefillShaped(loss.Regions(Sew));
    ForgetRemovedObjects();
    if (!first.Bounds.empty) area.UnionWith(first.Bounds);
    if (!area.empty) ShapingChanged({&first}, area);
    Sew.SetCurrent(&first);
    Sew.MarkModified();
    Sew.ComputeSelectionKind();
    CommandsChanged();
    Redraw();
    return true;
}

void TNL::DrawPointJoin(TDrawContext& dc) const {
    TSLCurve* first = JoinFirst();
    if (!first || !dc.Target) return;
    Canvas& c = *dc.Target;
    const float size = dc.MarkerSize * 2 + 3;
    TSLCurve* marked = JoinMarked();
    for (TSLStitch* o : Objects()) {
        if (o->Kind() != KIND_CURVE) continue;
        auto& curve = static_cast<TSLCurve&>(*o);
        TSLCurve& head = ColumnHead(curve);
        const bool own = &head == first;
        if (!own && !CanJoinCurves(*first, head)) continue;
        for (int32_t k : {0, curve.Count() - 1}) {
            if (own && (k != 0) != curveEdit_.JoinFirstAtEnd) continue;
            const int32_t colour = own ? kJoinStart : &head == marked ? kJoinMarked : kJoinEnd;
            c.Marker(dc.SX(curve[k].X), dc.SY(curve[k].Y), TMarker::FilledSquare, size, colour);
        }
    }
}

// ---- insert segment: the outline extension ----

void TNL::StartExtension(TSLCurve& curve, int32_t node) {
    if (curve.IsRail() || (curve.Flags & OF_PATTERN_MEMBER) || node < 0 || node >= curve.Count() || node % 3)
        return;
    if (RefusedOnRegion(curve, "Insert Segment",
                        "A Fill Region Is Built On This Outline. A New Segment Would Change The Region's "
                        "Boundary, So Nothing Was Changed."))
        return;
    if (creation_ != TCreation::None) FinishCreation();
    if (mode_ != TMode::DesignEdit) SetMode(TMode::DesignEdit);
    placement_ = TPlacement::None;
    host_.ClosePropertiesWindow();
    curveEdit_.Extending = &curve;
    curveEdit_.ExtendAfter = node;
    curveEdit_.ExtendAt = -1;
    curveEdit_.ExtendClicks = 0;
    curveEdit_.ExtendStep =
        std::make_unique<TUndoStep>(Sew, "Insert Segment", std::vector<TSLStitch*>{&curve});
    // The creation of an outline, with its point groups (one click per anchor for a line object).
    creation_ = curve.IsLineObject() ? TCreation::Line : TCreation::Outline;
    pointsDue_ = PointsPerGroup(creation_);
    host_.SetPrompt(kExtendPrompt);
    host_.SetStatus(std::to_string(pointsDue_) + kDueText);
    CommandsChanged();
    Redraw();
}

bool TNL::Extending() const {
    return curveEdit_.Extending != nullptr;
}

void TNL::ExtensionClick(float x, float y) {
    TSLCurve* c = curveEdit_.Extending;
    if (!c || Sew.IndexOf(c) < 0) {
        EndExtension(false);
        return;
    }
    TCurveEditState& e = curveEdit_;
    if (creation_ == TCreation::Line) {
        // Every click is an anchor; both segments around it stay straight.
        const int32_t at = InsertSegmentAfter(*c, e.ExtendAfter, x, y);
        if (at < 0) return;
        c->StraightenSegment(e.ExtendAfter / 3);
        c->StraightenSegment(e.ExtendAfter / 3 + 1);
        e.ExtendAfter = at + 2;
    } else if (e.ExtendClicks == 0) {
        // The group's three points start at the click: the path stays whole while they are placed.
        e.ExtendAt = InsertSegmentAfter(*c, e.ExtendAfter, x, y);
        if (e.ExtendAt < 0) return;
        e.ExtendClicks = 1;
    } else {
        // The second click places the second control point, the third the new anchor.
        for (int32_t k = e.ExtendClicks; k < 3; ++k) {
            (*c)[e.ExtendAt + k].X = x;
            (*c)[e.ExtendAt + k].Y = y;
        }
        if (++e.ExtendClicks == 3) {
            e.ExtendClicks = 0;
            e.ExtendAfter = e.ExtendAt + 2;
            e.ExtendAt = -1;
        }
    }
    c->UpdateBounds(StitchContext());
    Sew.MarkModified();
    pointsDue_ = creation_ == TCreation::Line ? 1 : 3 - e.ExtendClicks;
    host_.SetStatus(e.ExtendClicks == 0 ? std::string(kEndPrompt) : std::to_string(pointsDue_) + kDueText);
    Redraw();
}

void TNL::EndExtension(bool keep) {
    TCurveEditState& e = curveEdit_;
    TSLCurve* c = e.Extending;
    const size_t recorded = Sew.History.Recorded();
    if (c && Sew.IndexOf(c) >= 0) {
        // A group not completed is taken out again: the segment it began goes.
        if (e.ExtendClicks > 0 && e.ExtendAt >= 0) {
            RemoveSegmentAfter(*c, e.ExtendAfter);
            c->UpdateBounds(StitchContext());
        }
        if (!keep) {
            e.Extending = nullptr;
            e.ExtendStep.reset();
            // Abandoned: the segments placed so far go too.
            if (Sew.History.Recorded() > recorded) Sew.History.Undo(Sew);
        } else if (c) {
            OutlineChanged(*c, c->Bounds);
        }
    }
    e.Extending = nullptr;
    e.ExtendStep.reset();
    e.ExtendAfter = e.ExtendAt = -1;
    e.ExtendClicks = 0;
    ClearCreationState();
}

// ---- drawing order ----

std::vector<TSLStitch*> TNL::DrawingOrderAfter(bool top, TSLStitch* object) const {
    std::unordered_set<const TSLStitch*> moving;
    const uint32_t bit = SelectionBit();
    const std::vector<TSLStitch*> all = Objects();
    for (TSLStitch* o : all)
        if (object ? o == object : (bit && (o->Flags & bit) && !(o->Flags & OF_PATTERN_MEMBER))) {
            // A column moves as a pair, an outline with the outlines it is joined to by jumps.
            moving.insert(o);
            if (o->Partner()) moving.insert(o->Partner());
            for (TSLStitch* c : o->JumpChain())
                moving.insert(c);
        }
    if (moving.empty()) return {};
    // The moved objects keep their order among themselves, and so do the others.
    std::vector<TSLStitch*> moved, rest;
    for (TSLStitch* o : all)
        (moving.count(o) ? moved : rest).push_back(o);
    std::vector<TSLStitch*>& head = top ? rest : moved;
    std::vector<TSLStitch*>& tail = top ? moved : rest;
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

bool TNL::ChangeDrawingOrder(bool top, TSLStitch* object) {
    const std::vector<TSLStitch*> order = DrawingOrderAfter(top, object);
    if (order.empty() || order == Objects()) return false;
    TUndoStep step(Sew, top ? "Bring To Top" : "Send To Bottom", {});
    for (int32_t i = 0; i < static_cast<int32_t>(order.size()); ++i)
        if (int32_t from = Sew.IndexOf(order[static_cast<size_t>(i)]); from != i) Sew.Move(from, i);
    Sew.MarkModified();
    CommandsChanged();
    Redraw();
    return true;
}

// ---- copy stitching ----

bool TNL::CopyStitching() {
    TSLStitch* cur = Sew.Current();
    if (!cur || Sew.IndexOf(cur) < 0) return false;
    // The design of the current object: its layout group, or the object alone when ungrouped.
    std::vector<TSLStitch*> order;
    if (cur->GroupId > 0) {
        // Building the order numbers the design's objects; a copy changes nothing, so the numbers
        // they had come back.
        std::vector<std::pair<TSLStitch*, int32_t>> numbers;
        for (TSLStitch* o : Objects())
            numbers.emplace_back(o, o->OrderIndex);
        order = Sew.BuildStitchOrder(cur->GroupId);
        for (auto [o, n] : numbers)
            o->OrderIndex = n;
    } else {
        TSLStitch* head = (cur->Flags & OF_RAIL_B) && cur->Partner() ? cur->Partner() : cur;
        order = head->JumpChain().empty() ? std::vector<TSLStitch*>{head} : head->JumpChain();
    }
    std::unique_ptr<TSLStitch> flat;
    {
        const TStitchContext ctx = StitchContext();
        TOutputGuard guard(order, ctx);
        flat = FlattenDesign(order, ctx);
    }
    Redraw();
    if (!flat || flat->Bounds.empty) {
        host_.MessageDialog("Stitch Error", "This Embroidery Object Contains No Stitches.",
                            Buttons(TButton::OK));
        return false;
    }
    host_.SetClipboard(ClipboardBytes({flat.get()}, flat->Bounds.Left, flat->Bounds.Top));
    host_.SetStatus(" " + std::to_string(flat->Count()) + " Stitches Copied To The Clipboard");
    CommandsChanged();
    return true;
}

} // namespace nl
