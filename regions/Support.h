// Support objects: the non-stitching objects of the worksheet (embroidery frame, pictures,
// text labels, stitch pattern creators, the font base). Their behaviour grows with the support
// object feature; the worksheet needs the list, the frame and the records from the start, so that
// every support object a worksheet file holds is read, kept and written back unchanged.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Colour.h"
#include "core/KvRect.h"
#include "core/ObList.h"
#include "core/RecordIO.h"
#include "regions/Picture.h"
#include "stitching/CurveParts.h"

namespace nl {

enum : uint8_t {
    SUPPORT_FRAME = 0,
    SUPPORT_PICTURE = 1,
    SUPPORT_PATTERN_CREATOR = 3,
    SUPPORT_TEXT_LABEL = 4,
    SUPPORT_FONT_BASE = 5
};

// Flags of a support object.
enum : uint32_t {
    SUPPORT_SNAP = 0x1,
    SUPPORT_TRANSPARENT = 0x800,
    // text memos
    MEMO_POPUP = 0x1000,
    MEMO_POPUP_OPEN = 0x2000,
    MEMO_AUTO_UPDATE = 0x4000,
    MEMO_WORD_WRAP = 0x8000,
    // stitch pattern creators
    CREATOR_SHOW_GRID = 0x10, // "Show Grid": the edit points
    CREATOR_MOSAIC = 0x40,    // "Show Mosaic Mode": the drawing repeated around the tile
};

// The memo's font style byte.
enum : uint8_t { MEMO_BOLD = 0x1, MEMO_ITALIC = 0x2 };

// Layers, drawn from the bottom up: below the grid, between, above the grid.
enum : uint8_t { LAYER_ABOVE = 0, LAYER_BETWEEN = 1, LAYER_BELOW = 2 };

// Where a point meets a support object: not at all, inside (a move), on the border (a resize).
enum class TSupportHit : uint8_t { None, Inside, Border };

struct TDrawContext;

// What drawing a support object needs beyond the view: the worksheet-wide switches.
struct TSupportDrawState {
    bool HideBitmaps = false; // "Hide All Bitmaps"
    float Zoom = 100.f;       // the view's zoom in percent (text heights follow it)
};

// The base of every support object, and itself the embroidery frame.
class TObjectBase {
public:
    explicit TObjectBase(uint8_t kind = SUPPORT_FRAME) : Kind(kind) {}
    virtual ~TObjectBase() = default;
    uint8_t Kind; // SupportKind: written by the list in front of the record
    int32_t Colour = NO_COLOUR;
    uint8_t FrameStyle = 2;
    uint8_t Locked = 0; // "Lock To Worksheet"
    uint8_t Layer = 0;  // 0 above the grid, 1 between, 2 below
    int32_t Extra = 0;  // frame: the "Frame Sizes" tab; pattern creator: 1
    uint32_t Flags = 0;
    TKvRect Rect;
    int32_t ListIndex = 0; // position in the support list, set before saving

    // The file type code: the first byte of the record (0 frame and text memo, 1 picture,
    // 2 pattern creator).
    uint8_t TypeCode() const;

    int32_t Width() const { return Rect.Right - Rect.Left + 1; }
    int32_t Height() const { return Rect.Bottom - Rect.Top + 1; }
    // Moves the object (a creator moves its members with it: see the pattern unit).
    virtual void Offset(int32_t dx, int32_t dy);
    // New size keeping the top-left corner; sizes below 1 unit become 1.
    virtual void SetSize(int32_t width, int32_t height);
    // With "Snap To Grid": left and top go to the nearest multiple of the grid, the size kept.
    // Returns the move made (0,0 when nothing moved).
    std::pair<int32_t, int32_t> SnapToGrid(int32_t grid);
    // The point against the object: the border band is `margin` units wide on each side.
    TSupportHit HitTest(double x, double y, double margin) const;
    // The area fill (unless transparent or without colour) and the border in FrameStyle; kinds
    // draw their content over it.
    virtual void Draw(const TDrawContext& dc, const TSupportDrawState& state) const;
    // The object for Assign-style copies.
    virtual std::unique_ptr<TObjectBase> Clone() const { return std::make_unique<TObjectBase>(*this); }
    // The record after the kind byte (type code, colour, frame style, lock, layer, extra, flags,
    // bounds, then what the kind adds).
    virtual void Record(TRecordWriter& io) const;
    virtual void Record(TRecordReader& io);
};

// A picture to trace: the image is kept as JPEG bytes (as the worksheet file holds them) and
// decoded only for display, once into a view copy that is redrawn until the picture changes.
class TObjectBitmap : public TObjectBase {
public:
    TObjectBitmap();
    TObjectBitmap(const TObjectBitmap& o);
    TObjectBitmap& operator=(const TObjectBitmap&) = delete;
    uint8_t NoImage = 0;
    int32_t Zoom = 100;   // percent of the picture's own size
    uint8_t UseAlpha = 0; // "Use Alpha Blending"
    int32_t Alpha = 191;  // 0..255
    uint8_t BestImage = 0;
    std::string FileName = "DoggySmall.bmp";
    std::vector<uint8_t> Jpeg;

    // Worksheet units per picture pixel at zoom 100 %.
    static constexpr double kUnitsPerPixel = 6.13;

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
    std::unique_ptr<TObjectBase> Clone() const override { return std::make_unique<TObjectBitmap>(*this); }
    void Draw(const TDrawContext& dc, const TSupportDrawState& state) const override;

    // Loads a picture file by its extension ("JPG"/"JPEG" as JPEG, "BMP" converted to JPEG, "WMF"
    // given to the JPEG reader). On failure the default picture is shown, NoImage is set and the
    // reason is returned; empty on success.
    std::string LoadFile(const std::string& path);
    // New JPEG bytes (checked decodable); the size follows the picture.
    void SetJpeg(std::vector<uint8_t> jpeg);
    // The three "Image Orientation" buttons: a quarter turn, mirror left-right, mirror top-bottom,
    // pixel by pixel, compressed back to JPEG; the size follows. False when there is no picture.
    enum class TOrient : uint8_t { Rotate90, MirrorH, MirrorV };
    bool Orient(TOrient how);
    // right = left + round(width x 6.13 x Zoom / 100) - 1, bottom likewise.
    void SizeFromPicture();
    // True when the JPEG data decodes (decoded at most once per picture).
    bool Decodable() const;
    // The pixel size the JPEG data declares (0 x 0 when it is not a JPEG).
    int32_t PictureWidth() const;
    int32_t PictureHeight() const;
    // The copy drawn on screen for a target of `side` pixels (longer side): decoded with the
    // decoder's scaling once and kept while it is large enough. Null when the data does not decode.
    const TRasterImage* ViewCopy(int32_t side) const;

private:
    void ForgetCopies();
    mutable std::shared_ptr<TRasterImage> view_; // shared by clones until either changes
    mutable int32_t viewSide_ = 0;
    mutable int8_t decodable_ = -1; // -1 not tried yet
    mutable int32_t width_ = -1, height_ = -1;
};

// A text label memo.
class TObjectText : public TObjectBase {
public:
    TObjectText();
    int32_t TextColor = 0;
    double FontHeight = 98.08; // units: a 16-point font at 6.13 units per pixel
    // "Lock To Selected": the stitch object the memo moves with (null: none). Files name it by its
    // list position + 1 in LockedTo (0: none), set before writing and resolved after reading.
    TSLStitch* Locked = nullptr;
    int32_t LockedTo = 0;
    std::string FontName = "Times New Roman";
    uint8_t FontStyle = 0; // MEMO_BOLD, MEMO_ITALIC
    int32_t FontSize = 16; // the font's height in screen pixels; FontHeight is it in units
    // A memo is at most 20000 mm high; so is its font.
    static constexpr double kMaxMemoFontHeight = 20000.0 * 20;
    std::vector<std::string> Lines{"Right Click On Object Outline", "And Select Properties !"};

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
    std::unique_ptr<TObjectBase> Clone() const override { return std::make_unique<TObjectText>(*this); }
    void Draw(const TDrawContext& dc, const TSupportDrawState& state) const override;
    // A popup memo shows as a marker until the pointer comes within 100 units right of and below
    // its top-left corner. True when the memo opened or closed.
    bool PointerAt(double x, double y);
    bool Shown() const { return !(Flags & MEMO_POPUP) || (Flags & MEMO_POPUP_OPEN); }
    // The lines as drawn: with "Word Wrap" broken to the width (characters of about half the
    // height); `height` is the font height in the same unit as `width`.
    std::vector<std::string> LaidOutLines(double width, double height) const;
};

// A stitch pattern creator: its record is the pattern's (which repeats the kind byte); its
// drawing is made of ordinary worksheet objects, its members.
class TObjectPatternCreator : public TObjectBase {
public:
    TObjectPatternCreator();
    TObjectStitch Pattern;
    // The worksheet objects of the drawing (not owned; flag 0x2000, OrderIndex = the creator).
    std::vector<TSLStitch*> Members;

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
    std::unique_ptr<TObjectBase> Clone() const override;
    void Draw(const TDrawContext& dc, const TSupportDrawState& state) const override;
    void Offset(int32_t dx, int32_t dy) override;
    // The pattern with the frame fields of this object (what is saved and copied).
    TObjectStitch Header() const;
    // The side of a cell of the edit grid: the larger side over EditPoints.
    double GridCell() const;
    // "Mosaic Design View": the drawing in the tiles around this one.
    void DrawMosaic(const TDrawContext& dc) const;
};

// What the font being edited gives its design backdrop: the guide line values (units above the
// bottom of the 2400-unit character space, Left and Right from its left edge), the display
// switches and colours, and the template typeface. The defaults are a new font's.
struct TFontGuides {
    int32_t Left = 100, Right = 2000, Top = 1000, BaseLine = 600, Bottom = 200;
    uint32_t DisplayFlags = 0;
    int32_t CharColour = 0xF96D59, BackColour = 0xB6F7FC, HighColour = 0x7AF0FA;
    std::string TemplateName = "Arial";
    int32_t TemplateStyle = 0; // 0 regular, 1 bold, 2 italic, 3 bold italic
};

// DisplayFlags of a font: guide lines hidden, and how the template glyph shows.
enum : uint32_t {
    FONT_HIDE_LEFT = 0x1,
    FONT_HIDE_RIGHT = 0x2,
    FONT_HIDE_TOP = 0x4,
    FONT_HIDE_BASELINE = 0x8,
    FONT_HIDE_BOTTOM = 0x10, // the template-top line too
    FONT_HIDE_CHARACTER = 0x400,
    FONT_NO_HIGHLIGHT = 0x800,
    FONT_HIDE_BACKGROUND = 0x1000,
    FONT_LINES_BELOW = 0x4000,
};

// The font design backdrop: the 2400-unit character space of a character being edited on the
// worksheet, with the character drawn large in the template typeface and the font's guide lines.
// It belongs to the font editor and is never written to a file.
class TFontBase : public TObjectBase {
public:
    TFontBase();
    TFontGuides Guides;
    int32_t Code = 'A'; // the character edited
    // The template glyph's top above the bottom of the character space, as last drawn.
    mutable int32_t TemplateTop = 1500;
    // Guide lines are drawn from this zoom (percent) up.
    static constexpr float kGuideZoom = 70.f;
    // The glyph is 1626 units high (a negative font height: the character without its leading).
    static constexpr int32_t kGlyphHeight = 1626;

    std::unique_ptr<TObjectBase> Clone() const override { return std::make_unique<TFontBase>(*this); }
    void Draw(const TDrawContext& dc, const TSupportDrawState& state) const override;

private:
    void DrawGuides(const TDrawContext& dc) const;
};

class TSupportBaseList : public TObList<TObjectBase> {
public:
    TSupportBaseList();
    // The selected item (index; -1 none).
    int32_t Selected = -1;

    // Stores every item's position in its ListIndex (done before saving).
    void Renumber();
    // Empties the list back to the rubber-band item 0.
    void Reset();
    // The list record: int32 count, then per item its kind byte and its record. Reading replaces
    // the list (item 0 filled from the first record); an unknown kind fails the read (records
    // carry no length, so nothing after it could be read). Font backdrops are never written.
    void Record(TRecordWriter& io) const;
    void Record(TRecordReader& io);

    // A new object of a kind, appended and selected, its top-left corner at (x, y).
    TObjectBase* Create(uint8_t kind, int32_t x, int32_t y);
    // The item (1..n) under a point, topmost first (above-grid layer first, then the later items):
    // its index, or -1; `hit` says where.
    int32_t HitTest(double x, double y, double margin, TSupportHit* hit = nullptr) const;
    // Draws items 1..n of one layer that meet the clip rectangle, in list order.
    void Draw(uint8_t layer, const TDrawContext& dc, const TSupportDrawState& state) const;
    // Moves item i to the end / to position 1.
    void BringToTop(int32_t i);
    void SendToBottom(int32_t i);
    // Removes item i (never item 0).
    std::unique_ptr<TObjectBase> Remove(int32_t i);
    // Every text memo locked to `object` moves by (dx, dy).
    void MoveLockedMemos(const TSLStitch* object, int32_t dx, int32_t dy);
    // Whether a text memo is locked to `object`.
    bool HasMemoLockedTo(const TSLStitch* object) const;
    // The memos locked to `object` let go of it (it leaves the worksheet).
    void UnlockFrom(const TSLStitch* object);
    // What each item of the list's record is locked to (null for items that are not locked memos;
    // font backdrops are in no record), and the same put back on a list read from that record.
    std::vector<TSLStitch*> Locks() const;
    void SetLocks(const std::vector<TSLStitch*>& locks);
    // Before writing a file: each memo's LockedTo from its object (`positionOf`: the object's list
    // position, -1 when it is not in the list). After reading one: each LockedTo resolved among
    // `objects` (a number that names none unlocks the memo).
    void NumberLocks(const std::function<int32_t(const TSLStitch*)>& positionOf);
    void ResolveLocks(const std::vector<TSLStitch*>& objects);
    // Item 0's bounds become the rectangle spanned by the two corners.
    void RubberBand(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
    // The stitch pattern creators, in list order.
    std::vector<TObjectPatternCreator*> Creators() const;
};

// What the list offers the properties of a kind under ("Embroidery Frame Properties" ...).
const char* SupportPropertiesCaption(uint8_t kind);

// The embroidery frame every worksheet starts with (a 100 x 100 mm hoop).
std::unique_ptr<TObjectBase> MakeEmbroideryFrame();
// An empty support object of a kind, null for a kind the worksheet file does not hold.
std::unique_ptr<TObjectBase> CreateSupportOfKind(uint8_t kind);

} // namespace nl
