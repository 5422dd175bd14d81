// The stitch order mode: the elements of one layout group in sewing order, with a cursor, the
// click-to-order rule, the order editor's moves, the pallet's selection and colour changes, the
// Edit page's per-element changes and the Set Jumps page for regions. Headless: the "Stitching
// Order" panel of the desktop face shows and drives this model, and the worksheet view draws its
// connectors.
#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "stitching/StitchContext.h"

namespace nl {

class Host;
class TSLStitch;
class TSLCurve;
class TSLRegion;
class TSew;

enum class TOrderPage : uint8_t { Edit, SetJumps };

// Which region point a Set Jumps click stores.
enum class TJumpChoice : uint8_t { EntryAndExit = 0, ExitOnly = 1, EntryOnly = 2 };

// The kinds the Edit page tells apart.
enum class TElementKind : uint8_t { None, Outline, Region, Direct };

// One numeric field of the Edit page: shown value, range, and whether it applies.
struct TOrderField {
    bool Enabled = false;
    double Value = 0;
    double Min = 0, Max = 0;
    const char* Unit = "";
};

// Connector colours (0x00BBGGRR): into the current element red, out of it blue, the others grey.
constexpr int32_t CONNECTOR_IN = 0x0000FF;
constexpr int32_t CONNECTOR_OUT = 0xFF0000;
constexpr int32_t CONNECTOR_OTHER = 0x808080;

struct TConnector {
    float X1, Y1, X2, Y2;
    int32_t Colour;
};

class TOrderMode {
public:
    TOrderMode(TSew& sew, Host& host) : sew_(sew), host_(host) {}

    // ---- starting and ending ----
    // Builds the order list of group `key` and puts the cursor at `cursor` (clamped).
    void Start(int32_t key, int32_t cursor, TOrderPage page);
    // Renumbers the order indices and forgets the list.
    void End();
    bool Active() const { return active_; }

    // ---- the list and the cursor ----
    const std::vector<TSLStitch*>& Elements() const { return elements_; }
    int32_t Count() const { return static_cast<int32_t>(elements_.size()); }
    int32_t Cursor() const { return cursor_; }
    int32_t GroupKey() const { return key_; }
    // The element at the cursor, null at the end of the list.
    TSLStitch* Current() const;
    int32_t IndexOf(const TSLStitch* o) const;
    // "Stitch" cursor + 1 "Of    " n.
    std::string CursorText() const;

    // ---- ordering ----
    // Click-to-order: the element goes to the cursor and the cursor moves on. At the end of the
    // list the element goes to the last place and the cursor stays at the end. False when the
    // object is no element of the group.
    bool ClickElement(TSLStitch* object);
    // Moves the element at `from` to `to` (the order editor's drag; the pallet's drag also makes it
    // current).
    void Move(int32_t from, int32_t to, bool makeCurrent = false);
    void SendToTop(int32_t index) { Move(index, 0); }
    void SendToBottom(int32_t index) { Move(index, Count() - 1); }

    // ---- stepping ----
    void Forward();
    void Back();
    void ToEnd();
    void ToStart();
    void SetCursor(int32_t cursor);
    bool CanGoBack() const { return cursor_ > 0; }
    bool CanGoForward() const { return cursor_ < Count(); }

    // ---- the pallet ----
    // A plain click makes the tile current and selects it alone; Shift or Ctrl toggles a tile
    // other than the current one.
    void ClickTile(int32_t index, bool toggle);
    bool TileSelected(int32_t index) const { return selected_.count(index) != 0; }
    // Gives every selected tile's element (the current one when none is selected) the colour, then
    // asks; unless the answer is Yes the previous colours come back. True when the colours stay.
    bool SetColour(int32_t colour);

    // ---- the Edit page (on the current element) ----
    TElementKind Kind() const;
    int32_t Colour() const;
    TOrderField Density() const;
    TOrderField Under() const;
    TOrderField Rotation() const;
    // Out-of-range values (by more than 0.001) change nothing: false.
    bool SetDensity(double value);
    bool SetUnder(double value);
    bool SetRotation(double value);
    bool CanShortStitch() const;
    bool ShortStitch() const;
    void ToggleShortStitch();
    // "Clear Jump": enabled for a jump list that holds no links of its own.
    bool CanClearJump() const;
    void ClearJump();
    bool CanReverse() const;
    bool Reversed() const;
    void ToggleReverse();
    bool CanReturn() const;
    bool Returns() const;
    void ToggleReturn();
    // "Insert Trim" / "Delete Trim" on an element that is not the last one.
    bool CanTrim() const;
    bool HasTrim() const;
    std::string TrimCaption() const { return HasTrim() ? "Delete Trim" : "Insert Trim"; }
    void ToggleTrim();

    // ---- the Set Jumps page ----
    TOrderPage Page() const { return page_; }
    void SetPage(TOrderPage page) { page_ = page; }
    TJumpChoice Choice() const { return choice_; }
    void SetChoice(TJumpChoice c) { choice_ = c; }
    // Whether the next click with "Set Entry And Exit" sets the exit (false: the entry).
    bool NextIsExit() const { return alternate_; }
    // A click at worksheet (x, y) on the current region's boundary within `tolerance`: stores the
    // entry or exit position by the choice, the stored point follows, the fill regenerates.
    // False when the click missed the boundary or the current element is no region.
    bool SetJumpAt(double x, double y, double tolerance);
    // Dragging the current region's entry or exit diamond: pressed within `tolerance` of one, it
    // follows the pointer along the region's path (the nearest point of it); the release stores
    // the node and percent there as a click on the path would, and the fill regenerates.
    enum class TDiamond : uint8_t { None, Entry, Exit };
    TDiamond DiamondAt(double x, double y, double tolerance) const;
    bool BeginDiamondDrag(double x, double y, double tolerance);
    void DragDiamondTo(double x, double y);
    // False when nothing was being dragged.
    bool EndDiamondDrag();
    TDiamond Dragging() const { return drag_.Which; }
    // Where the dragged diamond is shown now.
    void DragPoint(float& x, float& y) const {
        x = drag_.X;
        y = drag_.Y;
    }
    // The prompt for the pointer over a diamond (empty elsewhere).
    static std::string DiamondPrompt(TDiamond d);

    // The "udMargin" field (0..40), for a region with underlay.
    TOrderField UnderMargin() const;
    bool SetUnderMargin(double value);

    // ---- display ----
    // One connector from each element's end to the next one's start.
    std::vector<TConnector> Connectors(bool currentOnly = false) const;

    // The context elements regenerate with.
    TStitchContext Context;

private:
    void Renumber();
    void Changed(TSLStitch* o);
    void CurrentChanged();
    // Stores the entry or the exit position of the current region (one undo step), recomputes
    // the stored point from it and regenerates the fill.
    void StoreJump(TSLRegion& r, bool exit, int32_t node, float percent);
    // The nearest place on the region's path: node, percent and the point itself.
    static bool NearestOnPath(const TSLRegion& r, double x, double y, int32_t& node, float& percent,
                              float& px, float& py);

    struct TDiamondDrag {
        TDiamond Which = TDiamond::None;
        int32_t Node = 0;
        float Percent = 0;
        float X = 0, Y = 0;
    };
    TDiamondDrag drag_;

    TSew& sew_;
    Host& host_;
    bool active_ = false;
    int32_t key_ = 0;
    std::vector<TSLStitch*> elements_;
    int32_t cursor_ = 0;
    TOrderPage page_ = TOrderPage::Edit;
    TJumpChoice choice_ = TJumpChoice::EntryAndExit;
    bool alternate_ = false;
    std::set<int32_t> selected_;
};

} // namespace nl
