#include "app/RegionMode.h"

#include <algorithm>
#include <cmath>

#include "app/MainForm.h"
#include "core/Geometry.h"
#include "core/Numeric.h"
#include "platform/Canvas.h"
#include "stitching/SLCurve.h"

namespace nl {

namespace {
constexpr int32_t kAnchorNode = 0x00000000; // the black nodes offered for anchoring
constexpr int32_t kDynamicNodeMark = 0x000080FF;
constexpr int32_t kFixedNodeMark = 0x00C04000;
} // namespace

bool HitOutlinePath(TSLCurve& outline, double x, double y, double tolerance, TOutlineHit& hit) {
    const int32_t last = LastSampleOf(outline);
    if (last < 0) return false;
    const auto& px = outline.PathX;
    const auto& py = outline.PathY;
    double best = tolerance;
    bool found = false;
    auto consider = [&](int32_t i, double t, double d) {
        if (d > best) return;
        best = d;
        found = true;
        hit.Outline = &outline;
        hit.Sample = i;
        hit.Percent = t * 100.0;
        hit.Distance = d;
    };
    if (last == 0) {
        consider(0, 0, HypotDistance(px[0], py[0], x, y));
        return found;
    }
    for (int32_t i = 0; i < last; ++i) {
        const auto a = static_cast<size_t>(i);
        double ax = px[a], ay = py[a], dx = px[a + 1] - ax, dy = py[a + 1] - ay;
        double len2 = dx * dx + dy * dy;
        // A zero-length segment is a point: it lies at 0 % of itself.
        double t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
        consider(i, t, HypotDistance(ax + t * dx, ay + t * dy, x, y));
    }
    return found;
}

TRegionMode::TRegionMode(TNL& nl, Host& host) : nl_(nl), host_(host) {
    TRegionBuilder::TCallbacks cb;
    cb.AddRegion = [this](std::unique_ptr<TSLRegion> r) {
        TSLStitch* added = nl_.Sew.Add(std::move(r));
        nl_.Sew.SetCurrent(added);
        nl_.Sew.MarkModified();
    };
    cb.DeleteRegion = [this](TSLRegion* r) {
        if (nl_.Sew.IndexOf(r) >= 0) nl_.Sew.DeleteObject(r);
        nl_.Sew.MarkModified();
        host_.CommandStateChanged();
    };
    // A closed region ends the mode (the builder has let go of everything by then).
    cb.Finished = [this] { nl_.SetMode(TMode::DesignEdit); };
    cb.Redraw = [this] { host_.RequestRedraw(); };
    builder_ = std::make_unique<TRegionBuilder>(host_, nl_.StitchContext(), std::move(cb));
}

TRegionMode::~TRegionMode() = default;

void TRegionMode::Enter() {
    builder_->Leave();
    builder_->Enter();
}

void TRegionMode::Leave() {
    builder_->Leave();
    host_.RequestRedraw();
}

std::string TRegionMode::Prompt() const {
    if (builder_->Region()) return PROMPT_NEW_OUTLINE;
    return builder_->CurrentOutline() ? PROMPT_ANCHOR : PROMPT_CLICK_OUTLINE;
}

double TRegionMode::Tolerance() const {
    return std::max(1, nl_.View.NearMargin());
}

std::vector<TSLCurve*> TRegionMode::Outlines() const {
    std::vector<TSLCurve*> v;
    for (int32_t i = nl_.Sew.Count() - 1; i >= 0; --i) {
        TSLStitch* o = nl_.Sew[i];
        if (o->Kind() != KIND_CURVE || o->Empty()) continue;
        auto* c = static_cast<TSLCurve*>(o);
        if (!c->IsRail()) v.push_back(c);
    }
    return v;
}

bool TRegionMode::OutlineAt(double x, double y, TOutlineHit& hit) const {
    bool found = false;
    double tol = Tolerance();
    for (TSLCurve* c : Outlines()) {
        TOutlineHit h;
        if (HitOutlinePath(*c, x, y, tol, h)) {
            hit = h;
            tol = h.Distance; // the nearest outline wins where outlines cross
            found = true;
        }
    }
    return found;
}

TSLCurve* TRegionMode::PlacementOutline() const {
    const TSLRegion* r = builder_->Region();
    if (!r || r->Count() < 2 || builder_->PlacementLeg() == TRegionBuilder::TFixedLeg::None) return nullptr;
    const int32_t k = r->Count() - 1;
    const TRegionNode* node =
        r->NodeAt(builder_->PlacementLeg() == TRegionBuilder::TFixedLeg::Leg1 ? k - 1 : k);
    return node ? node->Outline : nullptr;
}

void TRegionMode::PlacementHit(double x, double y, TOutlineHit& hit) const {
    // Only the outline of the current leg counts, even where another outline lies closer.
    if (TSLCurve* want = PlacementOutline()) HitOutlinePath(*want, x, y, Tolerance(), hit);
}

void TRegionMode::Click(double x, double y) {
    TRegionBuilder& b = *builder_;
    if (b.PlacementLeg() != TRegionBuilder::TFixedLeg::None) {
        TOutlineHit hit;
        PlacementHit(x, y, hit);
        if (!hit.Outline) return;
        // The click that completes leg 2 restores the mode before the closing question, so that
        // a closed region leaves from the creation mode itself.
        bool completes = b.PlacementLeg() == TRegionBuilder::TFixedLeg::Leg2;
        if (completes) EndPlacement();
        b.ClickDuringPlacement(hit.Outline, hit.Sample, hit.Percent);
        host_.CommandStateChanged();
        return;
    }
    const auto fx = static_cast<float>(x), fy = static_cast<float>(y);
    int32_t c = b.CandidateAt(fx, fy, static_cast<float>(Tolerance()));
    if (c >= 0) {
        b.PickCandidate(c);
        host_.CommandStateChanged();
        return;
    }
    if (!b.Region() && b.CurrentOutline()) {
        // Anchoring: the black node of the current outline nearest to the click.
        TSLCurve& cur = *b.CurrentOutline();
        TOutlineHit hit;
        if (HitOutlinePath(cur, x, y, Tolerance(), hit)) {
            int32_t sample = hit.Percent > 50 ? hit.Sample + 1 : hit.Sample;
            sample = std::min(sample, LastSampleOf(cur));
            auto s = static_cast<size_t>(sample);
            if (HypotDistance(x, y, cur.PathX[s], cur.PathY[s]) <= Tolerance()) {
                b.ClickAnchor(sample);
                host_.CommandStateChanged();
                return;
            }
        }
    }
    TOutlineHit hit;
    if (OutlineAt(x, y, hit)) {
        b.ClickOutline(hit.Outline);
        host_.CommandStateChanged();
        return;
    }
    // A click on a finished region takes it into path editing.
    if (!b.Region() || !b.Region()->UnderConstruction()) {
        TStitchContext ctx = nl_.StitchContext();
        for (int32_t i = nl_.Sew.Count() - 1; i >= 0; --i) {
            TSLStitch* o = nl_.Sew[i];
            if (o->Kind() != KIND_REGION || o->Empty() || !o->HitTest(fx, fy, ctx)) continue;
            if (o != b.Region()) {
                b.EditRegion(static_cast<TSLRegion*>(o));
                nl_.Sew.SetCurrent(o);
                host_.SetPrompt(PROMPT_NEW_OUTLINE);
            }
            host_.CommandStateChanged();
            host_.RequestRedraw();
            return;
        }
    }
}

void TRegionMode::PointerMoved(double x, double y) {
    if (builder_->PlacementLeg() == TRegionBuilder::TFixedLeg::None) return;
    TOutlineHit hit;
    PlacementHit(x, y, hit);
    builder_->PointerOverOutline(hit.Outline, hit.Sample, hit.Percent);
}

void TRegionMode::EndPlacement() {
    if (nl_.Mode() == TMode::RegionNodeInsert) nl_.SetMode(TMode::FillRegion);
}

int32_t TRegionMode::DynamicNodeAt(double x, double y) const {
    const TSLRegion* r = builder_->Region();
    if (!r) return -1;
    double tol = Tolerance();
    for (int32_t k = 1; k < r->Count(); ++k) {
        const TSP& p = (*r)[k];
        if (!r->NodeAt(k) || TSLRegion::KindOf(p) == NK_FIXED) continue;
        if (HypotDistance(x, y, p.X, p.Y) <= tol) return k;
    }
    return -1;
}

std::vector<TMenuItem> TRegionMode::MenuAt(double x, double y) {
    std::vector<TMenuItem> items{{POPUP_EXIT_REGION_MODE, CMD_EXIT_REGION_MODE}};
    menuNode_ = DynamicNodeAt(x, y);
    if (menuNode_ >= 0) items.push_back({POPUP_CONVERT_NODE, CMD_CONVERT_TO_FIXED_NODE});
    return items;
}

void TRegionMode::RunMenuCommand(int32_t code) {
    const int32_t node = menuNode_;
    menuNode_ = -1;
    if (code == CMD_EXIT_REGION_MODE) {
        nl_.SetMode(TMode::DesignEdit);
        return;
    }
    if (code != CMD_CONVERT_TO_FIXED_NODE || node < 0) return;
    TSLRegion* r = builder_->Region();
    if (!r || node >= r->Count()) return;
    TStitchContext ctx = nl_.StitchContext();
    r->ConvertNodeToFixed(node);
    r->UpdateBounds(ctx);
    if (!r->UnderConstruction()) {
        Restitch(*r, ctx);
        nl_.Sew.MarkModified();
    }
    host_.RequestRedraw();
}

void TRegionMode::Escape() {
    if (builder_->PlacementLeg() != TRegionBuilder::TFixedLeg::None) {
        Press(TRegionButton::MakeFixed); // "    Cancel Direct Jump"
        return;
    }
    builder_->Leave();
    builder_->Enter();
    host_.CommandStateChanged();
    host_.RequestRedraw();
}

void TRegionMode::Draw(TDrawContext& dc) const {
    if (!dc.Target) return;
    const TRegionBuilder& b = *builder_;
    // Before anchoring, the samples of the chosen outline are the nodes the user can click.
    if (!b.Region() && b.CurrentOutline()) {
        const TSLCurve& c = *b.CurrentOutline();
        for (size_t i = 0; i < c.PathX.size() && i < c.PathY.size(); ++i)
            dc.Target->Marker(dc.SX(c.PathX[i]), dc.SY(c.PathY[i]), TMarker::FilledSquare, 2.f, kAnchorNode);
    }
    b.Draw(dc);
    // The nodes the popup can convert stand out; with "Show Region Node Types" the fixed ones
    // are marked as well.
    const TSLRegion* r = b.Region();
    for (int32_t k = 1; r && k < r->Count(); ++k) {
        if (!r->NodeAt(k)) continue;
        const TSP& p = (*r)[k];
        if (TSLRegion::KindOf(p) != NK_FIXED)
            dc.Target->Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::Diamond, dc.MarkerSize + 1.f,
                              kDynamicNodeMark);
        else if (nl_.Toggles.ShowRegionNodeTypes)
            dc.Target->Marker(dc.SX(p.X), dc.SY(p.Y), TMarker::FilledSquare, dc.MarkerSize + 1.f,
                              kFixedNodeMark);
    }
}

// ---- buttons ----

void TRegionMode::Press(TRegionButton button) {
    if (!Enabled(button)) return;
    TRegionBuilder& b = *builder_;
    switch (button) {
    case TRegionButton::MakeFixed:
        b.MakeFixedNodeButton();
        if (b.PlacementLeg() != TRegionBuilder::TFixedLeg::None)
            nl_.SetMode(TMode::RegionNodeInsert);
        else
            EndPlacement();
        break;
    case TRegionButton::Back:
        b.Back();
        break;
    case TRegionButton::Start:
        b.Start();
        break;
    case TRegionButton::Forward:
        b.Forward();
        break;
    case TRegionButton::End:
        b.End();
        break;
    case TRegionButton::Restore:
        b.Restore();
        nl_.Sew.MarkModified();
        break;
    case TRegionButton::Delete:
        b.Delete();
        break;
    case TRegionButton::Up:
    case TRegionButton::Down: {
        std::vector<TSLStitch*> objects;
        for (int32_t i = 0; i < nl_.Sew.Count(); ++i)
            objects.push_back(nl_.Sew[i]);
        TSLRegion* next = button == TRegionButton::Up ? b.Up(objects) : b.Down(objects);
        if (next) nl_.Sew.SetCurrent(next);
        break;
    }
    case TRegionButton::ConvertAll:
        if (b.ConvertAllNodes() && nl_.Sew.IndexOf(b.Region()) >= 0) nl_.Sew.MarkModified();
        break;
    case TRegionButton::Exit:
        nl_.SetMode(TMode::DesignEdit);
        return;
    case TRegionButton::Count_:
        return;
    }
    host_.CommandStateChanged();
    host_.RequestRedraw();
}

bool TRegionMode::Enabled(TRegionButton button) const {
    const TRegionBuilder& b = *builder_;
    const TSLRegion* r = b.Region();
    const bool nav = b.NavigationEnabled();
    const bool inSheet = r && nl_.Sew.IndexOf(const_cast<TSLRegion*>(r)) >= 0;
    switch (button) {
    case TRegionButton::MakeFixed:
        return r && (r->Count() >= 1) &&
               (b.PlacementLeg() != TRegionBuilder::TFixedLeg::None || b.CurrentOutline());
    case TRegionButton::Back:
    case TRegionButton::Start:
        return nav && r && r->Count() >= 2;
    case TRegionButton::Forward:
    case TRegionButton::End:
        return nav && r && b.RedoDepth() > 0;
    case TRegionButton::Restore:
    case TRegionButton::Up:
    case TRegionButton::Down:
        return nav && inSheet;
    case TRegionButton::Delete:
        return nav && r;
    case TRegionButton::ConvertAll:
        return nav && r && r->Count() >= 2;
    case TRegionButton::Exit:
        return nav;
    case TRegionButton::Count_:
        break;
    }
    return false;
}

std::string TRegionMode::Caption(TRegionButton button) const {
    switch (button) {
    case TRegionButton::MakeFixed:
        return builder_->FixedNodeCaption();
    case TRegionButton::Back:
        return "Back ";
    case TRegionButton::Start:
        return "Start";
    case TRegionButton::Forward:
        return "Forward";
    case TRegionButton::End:
        return "End";
    case TRegionButton::Restore:
        return "Restore";
    case TRegionButton::Delete:
        return "Delete";
    case TRegionButton::Up:
        return "Up";
    case TRegionButton::Down:
        return "Down";
    case TRegionButton::ConvertAll:
        return "Convert All Nodes ";
    case TRegionButton::Exit:
        return "Exit";
    case TRegionButton::Count_:
        break;
    }
    return {};
}

std::string TRegionMode::Hint(TRegionButton button) const {
    switch (button) {
    case TRegionButton::MakeFixed:
        return "Place a fixed node by hand on the previous outline, then on the new one";
    case TRegionButton::Back:
        return "Remove the last node of the path";
    case TRegionButton::Start:
        return "Remove every node after the first";
    case TRegionButton::Forward:
        return "Put back the last removed node";
    case TRegionButton::End:
        return "Put back every removed node";
    case TRegionButton::Restore:
        return "Restore the path the region had when editing began";
    case TRegionButton::Delete:
        return "Delete this region";
    case TRegionButton::Up:
        return "Edit the next region of the group";
    case TRegionButton::Down:
        return "Edit the previous region of the group";
    case TRegionButton::ConvertAll:
        return "Convert every dynamic node to a fixed node";
    case TRegionButton::Exit:
        return POPUP_EXIT_REGION_MODE;
    case TRegionButton::Count_:
        break;
    }
    return {};
}

} // namespace nl

namespace nl {

void TNL::RefillRegionsOf(const std::vector<TSLStitch*>& changed, double dx, double dy) {
    // Regions not yet refilled: a region built on several of the moved outlines is refilled
    // once, not once per outline.
    // A region that moved together with all its outlines is already where it belongs.
    auto in = [&changed](const TSLStitch* o) {
        return std::find(changed.begin(), changed.end(), o) != changed.end();
    };
    std::vector<TSLStitch*> pending;
    for (TSLStitch* o : Objects()) {
        if (o->Kind() != KIND_REGION) continue;
        auto used = o->UsedOutlines();
        if (in(o) && std::all_of(used.begin(), used.end(), in)) continue;
        pending.push_back(o);
    }
    TStitchContext ctx = StitchContext();
    for (TSLStitch* o : changed) {
        if (pending.empty()) break;
        if (!o || o->Kind() != KIND_CURVE) continue;
        // The change covers where the outline was and where it is now.
        TKvRect area = o->Bounds;
        if (!area.empty) {
            TKvRect before = area;
            before.Offset(-RoundI(dx), -RoundI(dy));
            area.UnionWith(before);
            area.Inflate(1);
        }
        RebuildRegionsUsing(pending, *o, area, ctx);
        std::erase_if(pending, [o](TSLStitch* r) {
            auto used = r->UsedOutlines();
            return std::find(used.begin(), used.end(), o) != used.end();
        });
    }
}

} // namespace nl

namespace nl {

void TNL::FixGroupRegions() {
    int32_t group = Sew.SelectedGroup();
    if (group <= 0) return;
    if (host_.MessageDialog("Convert Dynamic Nodes To Fixed Nodes",
                            "This will irreversibly convert dynamically editable regions to fixed "
                            "regions.You will increase region stability but loose the ability to fine "
                            "tune paths while in edit mode. Continue ?",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return;
    TStitchContext ctx = StitchContext();
    TUndoStep step(Sew, "Fixed Node Regions");
    bool any = false;
    for (TSLStitch* o : Objects())
        if (o->Kind() == KIND_REGION && o->GroupId == group) {
            ConvertAllNodesToFixed(*static_cast<TSLRegion*>(o), ctx);
            any = true;
        }
    if (any) Sew.MarkModified();
    Redraw();
}

} // namespace nl
