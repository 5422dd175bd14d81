#include "regions/Support.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/Geometry.h"
#include "core/Numeric.h"
#include "platform/Canvas.h"
#include "stitching/SLCurve.h"
#include "stitching/SLStitch.h"
#include "stitching/StitchContext.h"

namespace nl {

uint8_t TObjectBase::TypeCode() const {
    switch (Kind) {
    case SUPPORT_PICTURE:
        return 1;
    case SUPPORT_PATTERN_CREATOR:
        return 2;
    case SUPPORT_FONT_BASE:
        return 5;
    default:
        return 0;
    }
}

namespace {
template <class IO, class B> void BaseFields(IO& io, B& b) {
    uint8_t code = b.TypeCode();
    io.Field(code);
    if constexpr (IO::Reading)
        if (code != b.TypeCode()) throw TReadError("a support object's type code does not match its kind");
    io.Field(b.Colour, b.FrameStyle, b.Locked, b.Layer, b.Extra, b.Flags);
    io.Rect(b.Rect);
}

template <class IO, class P> void PictureFields(IO& io, P& p) {
    io.Field(p.NoImage, p.Zoom, p.UseAlpha, p.Alpha, p.BestImage, p.FileName);
    io.Block(p.Jpeg, "picture data size");
}

template <class IO, class T> void TextFields(IO& io, T& t) {
    io.Field(t.TextColor, t.FontHeight, t.LockedTo, t.FontName, t.FontStyle, t.FontSize);
    // Each line is at least its 4-byte length.
    io.Items(t.Lines, 4, "memo line count", [&](auto& line) { io.Field(line); });
}
} // namespace

void TObjectBase::Record(TRecordWriter& io) const {
    BaseFields(io, *this);
}
void TObjectBase::Record(TRecordReader& io) {
    BaseFields(io, *this);
}

void TObjectBase::Offset(int32_t dx, int32_t dy) {
    Rect.Left += dx;
    Rect.Right += dx;
    Rect.Top += dy;
    Rect.Bottom += dy;
}

void TObjectBase::SetSize(int32_t width, int32_t height) {
    Rect.Right = Rect.Left + std::max(1, width) - 1;
    Rect.Bottom = Rect.Top + std::max(1, height) - 1;
}

std::pair<int32_t, int32_t> TObjectBase::SnapToGrid(int32_t grid) {
    if (!(Flags & SUPPORT_SNAP) || grid <= 0) return {0, 0};
    auto nearest = [grid](int32_t v) {
        return static_cast<int32_t>(std::llround(static_cast<double>(v) / grid) * grid);
    };
    const int32_t dx = nearest(Rect.Left) - Rect.Left;
    const int32_t dy = nearest(Rect.Top) - Rect.Top;
    if (dx || dy) Offset(dx, dy);
    return {dx, dy};
}

TSupportHit TObjectBase::HitTest(double x, double y, double margin) const {
    if (x < Rect.Left - margin || x > Rect.Right + margin || y < Rect.Top - margin ||
        y > Rect.Bottom + margin)
        return TSupportHit::None;
    const bool inner = x > Rect.Left + margin && x < Rect.Right - margin && y > Rect.Top + margin &&
                       y < Rect.Bottom - margin;
    return inner ? TSupportHit::Inside : TSupportHit::Border;
}

namespace {
constexpr int32_t kHighlight = 0x00D77800;
constexpr int32_t kHoopColour = 0x00B08040;
constexpr int32_t kMosaicColour = 0x00A08070;     // the repeated drawing
constexpr int32_t kMosaicTileColour = 0x00C8C8C8; // the edges of the repeated tiles

void Border(const TDrawContext& dc, const TKvRect& r, uint8_t style) {
    Canvas& c = *dc.Target;
    const float l = dc.SX(r.Left), t = dc.SY(r.Top), rt = dc.SX(r.Right), b = dc.SY(r.Bottom);
    auto edges = [&](int32_t topLeft, int32_t bottomRight) {
        c.SetPen(topLeft, 1.f);
        c.Line(l, b, l, t);
        c.Line(l, t, rt, t);
        c.SetPen(bottomRight, 1.f);
        c.Line(rt, t, rt, b);
        c.Line(rt, b, l, b);
    };
    switch (style) {
    case 1:
        edges(0x000000, 0x000000);
        break;
    case 2:
        edges(0xFFFFFF, 0x808080);
        break;
    case 3:
        edges(0x808080, 0xFFFFFF);
        break;
    case 4:
        edges(0xFF0000, 0xFF0000);
        break;
    case 5:
        edges(0xFFFFFF, 0xFFFFFF);
        break;
    default:
        edges(kHighlight, kHighlight);
        break;
    }
}

void FillArea(const TDrawContext& dc, const TKvRect& r, int32_t colour) {
    const float l = dc.SX(r.Left), t = dc.SY(r.Top), rt = dc.SX(r.Right + 1), b = dc.SY(r.Bottom + 1);
    dc.Target->FillPolygon({{l, t}, {rt, t}, {rt, b}, {l, b}}, colour);
}

float TextHeight(const TSupportDrawState& state, double percent, float lo, float hi) {
    return std::clamp(static_cast<float>(state.Zoom * percent / 100.0), lo, hi);
}
} // namespace

void TObjectBase::Draw(const TDrawContext& dc, const TSupportDrawState& state) const {
    (void)state;
    if (!(Flags & SUPPORT_TRANSPARENT) && Colour != NO_COLOUR) FillArea(dc, Rect, Colour);
    if (Kind == SUPPORT_FRAME) {
        // The hoop itself, so that a frame stands out on the worksheet's white.
        dc.Target->SetPen(kHoopColour, 1.f, TPenStyle::Dash);
        dc.Target->Rectangle(dc.SX(Rect.Left), dc.SY(Rect.Top), dc.SX(Rect.Right), dc.SY(Rect.Bottom));
    }
    Border(dc, Rect, FrameStyle);
}

void TObjectBitmap::Record(TRecordWriter& io) const {
    TObjectBase::Record(io);
    PictureFields(io, *this);
}
void TObjectBitmap::Record(TRecordReader& io) {
    TObjectBase::Record(io);
    PictureFields(io, *this);
    ForgetCopies();
}

TObjectBitmap::TObjectBitmap() : TObjectBase(SUPPORT_PICTURE) {
    Jpeg = DefaultPictureJpeg();
    SizeFromPicture();
}

TObjectBitmap::TObjectBitmap(const TObjectBitmap& o)
    : TObjectBase(o), NoImage(o.NoImage), Zoom(o.Zoom), UseAlpha(o.UseAlpha), Alpha(o.Alpha),
      BestImage(o.BestImage), FileName(o.FileName), Jpeg(o.Jpeg), view_(o.view_), viewSide_(o.viewSide_),
      decodable_(o.decodable_), width_(o.width_), height_(o.height_) {}

void TObjectBitmap::ForgetCopies() {
    view_.reset();
    viewSide_ = 0;
    decodable_ = -1;
    width_ = height_ = -1;
}

int32_t TObjectBitmap::PictureWidth() const {
    if (width_ < 0) {
        width_ = height_ = 0;
        try {
            JpegSize(Jpeg, width_, height_);
        } catch (const TReadError&) {
            width_ = height_ = 0;
        }
    }
    return width_;
}
int32_t TObjectBitmap::PictureHeight() const {
    PictureWidth();
    return height_;
}

bool TObjectBitmap::Decodable() const {
    if (decodable_ < 0) ViewCopy(256);
    return decodable_ > 0;
}

const TRasterImage* TObjectBitmap::ViewCopy(int32_t side) const {
    side = std::clamp(side, 16, 4096);
    if (decodable_ == 0) return nullptr;
    // A kept copy serves every target up to its own size, and twice it when stretched up: a
    // zoom step does not decode again.
    if (view_ && (viewSide_ >= side || std::max(view_->Width, view_->Height) >= side ||
                  (viewSide_ * 2 >= side && viewSide_ >= 4096)))
        return view_.get();
    try {
        // Decode a little larger than asked, so that small zoom changes keep the copy.
        const int32_t want = std::min(4096, side + side / 2);
        auto image = std::make_shared<TRasterImage>(ScaledDown(DecodeJpeg(Jpeg, want), want));
        view_ = std::move(image);
        viewSide_ = want;
        decodable_ = 1;
    } catch (const TReadError&) {
        decodable_ = 0;
        view_.reset();
        return nullptr;
    }
    return view_.get();
}

void TObjectBitmap::SizeFromPicture() {
    const int32_t w = PictureWidth(), h = PictureHeight();
    if (w <= 0 || h <= 0) return;
    const double k = kUnitsPerPixel * Zoom / 100.0;
    SetSize(std::max(1, RoundI(w * k)), std::max(1, RoundI(h * k)));
}

void TObjectBitmap::SetJpeg(std::vector<uint8_t> jpeg) {
    Jpeg = std::move(jpeg);
    ForgetCopies();
    NoImage = Decodable() ? 0 : 1;
    SizeFromPicture();
}

std::string TObjectBitmap::LoadFile(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& ch : ext)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    std::string reason;
    try {
        std::vector<uint8_t> bytes = ReadWholeFile(path, 256ull << 20);
        std::vector<uint8_t> jpeg;
        if (ext == ".BMP") {
            jpeg = EncodeJpeg(DecodeBmp(bytes), 100);
        } else if (ext == ".JPG" || ext == ".JPEG" || ext == ".WMF") {
            DecodeJpeg(bytes, 64); // checked readable before it replaces the picture
            jpeg = std::move(bytes);
        } else {
            throw TReadError("the file type is not a picture this program reads");
        }
        FileName = path;
        SetJpeg(std::move(jpeg));
        return {};
    } catch (const TError& e) {
        reason = e.what();
    } catch (const std::exception& e) {
        reason = e.what();
    }
    // The object stays, showing the default picture.
    FileName = path;
    SetJpeg(DefaultPictureJpeg());
    NoImage = 1;
    return "Unable To Load Image " + name + (reason.empty() ? "" : "\n(" + reason + ")");
}

bool TObjectBitmap::Orient(TOrient how) {
    try {
        TRasterImage full = DecodeJpeg(Jpeg);
        TRasterImage turned = how == TOrient::Rotate90  ? Rotated90(full)
                              : how == TOrient::MirrorH ? MirroredH(full)
                                                        : MirroredV(full);
        SetJpeg(EncodeJpeg(turned, 100));
        return true;
    } catch (const TReadError&) {
        return false;
    }
}

void TObjectBitmap::Draw(const TDrawContext& dc, const TSupportDrawState& state) const {
    Canvas& c = *dc.Target;
    const float l = dc.SX(Rect.Left), t = dc.SY(Rect.Top), r = dc.SX(Rect.Right + 1),
                b = dc.SY(Rect.Bottom + 1);
    const TRasterImage* view = nullptr;
    if (!NoImage && !state.HideBitmaps) {
        const float side = std::max(std::abs(r - l), std::abs(b - t));
        view = ViewCopy(static_cast<int32_t>(std::min(side, 4096.f)));
    }
    if (!view) {
        // No picture to show: a sunken frame and the reason.
        FillArea(dc, Rect, 0xE0E0E0);
        Border(dc, Rect, 3);
        const std::string text =
            state.HideBitmaps ? "Image Hidden ( Use Ctrl B to View )" : "Unable To Display Image " + FileName;
        const float h = TextHeight(state, 18, 15, 20);
        c.Text(l + 4, t + h + 2, text, 0x000000, h);
        return;
    }
    c.SetSmoothImages(BestImage != 0);
    c.Image(l, t, r, b, view->Width, view->Height, view->Argb, UseAlpha ? std::clamp(Alpha, 0, 255) : 255);
    c.SetSmoothImages(false);
    Border(dc, Rect, FrameStyle);
}

TObjectText::TObjectText() : TObjectBase(SUPPORT_TEXT_LABEL) {
    FrameStyle = 1;
    Colour = 0xFFFFFF;
    Rect.Set(0, 0, 400, 999);
}
void TObjectText::Record(TRecordWriter& io) const {
    TObjectBase::Record(io);
    TextFields(io, *this);
}
void TObjectText::Record(TRecordReader& io) {
    TObjectBase::Record(io);
    TextFields(io, *this);
    if (!std::isfinite(FontHeight) || FontHeight < 1.0) FontHeight = 98.08;
    // No taller than the tallest memo: a file's height reaches the screen as a pixel size.
    FontHeight = std::min(FontHeight, kMaxMemoFontHeight);
    Flags &= ~MEMO_POPUP_OPEN; // a popup starts closed
}

bool TObjectText::PointerAt(double x, double y) {
    if (!(Flags & MEMO_POPUP)) return false;
    const bool near = x >= Rect.Left && x <= Rect.Left + 100 && y >= Rect.Top && y <= Rect.Top + 100;
    const bool inside = x >= Rect.Left && x <= Rect.Right && y >= Rect.Top && y <= Rect.Bottom;
    const bool open = (Flags & MEMO_POPUP_OPEN) != 0;
    // It opens near its marker and stays open while the pointer is over it.
    const bool want = open ? inside || near : near;
    if (want == open) return false;
    Flags ^= MEMO_POPUP_OPEN;
    return true;
}

std::vector<std::string> TObjectText::LaidOutLines(double width, double height) const {
    if (!(Flags & MEMO_WORD_WRAP)) return Lines;
    const size_t perLine = std::max<size_t>(1, static_cast<size_t>(width / std::max(1.0, height * 0.6)));
    std::vector<std::string> out;
    for (const std::string& line : Lines) {
        std::string current;
        size_t i = 0;
        if (line.empty()) out.emplace_back();
        while (i < line.size()) {
            size_t next = line.find(' ', i);
            std::string word = line.substr(i, next == std::string::npos ? std::string::npos : next - i);
            i = next == std::string::npos ? line.size() : next + 1;
            while (word.size() > perLine) { // a word longer than a line is cut
                if (!current.empty()) out.push_back(std::move(current)), current.clear();
                out.push_back(word.substr(0, perLine));
                word.erase(0, perLine);
            }
            if (current.empty())
                current = word;
            else if (current.size() + 1 + word.size() <= perLine)
                current += " " + word;
            else
                out.push_back(std::exchange(current, word));
        }
        if (!current.empty()) out.push_back(std::move(current));
    }
    return out;
}

void TObjectText::Draw(const TDrawContext& dc, const TSupportDrawState& state) const {
    Canvas& c = *dc.Target;
    if (!Shown()) {
        // A popup memo closed: its marker only.
        const float x = dc.SX(Rect.Left), y = dc.SY(Rect.Top), m = static_cast<float>(100 * dc.Scale);
        c.FillPolygon({{x, y}, {x + m, y}, {x, y + m}}, 0x40C0F0);
        c.SetPen(0x000000, 1.f);
        c.Polyline({{x, y}, {x + m, y}, {x, y + m}, {x, y}});
        return;
    }
    TObjectBase::Draw(dc, state);
    const float h = static_cast<float>(FontHeight * dc.Scale);
    if (h < 2.f) return; // too small to read: the box alone
    const float left = dc.SX(Rect.Left + 6), bottom = dc.SY(Rect.Bottom + 1);
    float y = dc.SY(Rect.Top) + h;
    const double width = std::max(1, Width() - 12);
    const size_t maxChars = static_cast<size_t>(std::max(1.0, width / std::max(1.0, FontHeight * 0.6)));
    c.SetFont(FontName, (FontStyle & MEMO_BOLD) != 0, (FontStyle & MEMO_ITALIC) != 0);
    for (const std::string& line : LaidOutLines(width, FontHeight)) {
        if (y > bottom) break; // clipped to the bounds
        c.Text(left, y, line.size() > maxChars ? line.substr(0, maxChars) : line, TextColor, h);
        y += h * 1.15f;
    }
    c.SetFont({}, false, false); // what is drawn next has the canvas's own typeface
}

TObjectPatternCreator::TObjectPatternCreator() : TObjectBase(SUPPORT_PATTERN_CREATOR) {
    Pattern.Flags &= ~TObjectStitch::PATTERN_COPY;
    Colour = Pattern.Color;
    Extra = Pattern.Extra;
    Rect = Pattern.Bounds;
}
// The pattern's record starts with the kind byte and holds the frame fields: it is the owner of
// them, and the object shows what it read.
TObjectStitch TObjectPatternCreator::Header() const {
    TObjectStitch p;
    p.SupportKind = SUPPORT_PATTERN_CREATOR;
    p.TypeCode = 2;
    p.Color = Colour;
    p.FrameStyle = FrameStyle;
    p.Locked = Locked;
    p.Layer = Layer;
    p.Extra = Extra;
    p.Flags = Flags & ~TObjectStitch::PATTERN_COPY;
    p.Bounds = Rect;
    p.Version = Pattern.Version;
    p.EditPoints = Pattern.EditPoints;
    p.PatternWidth = Pattern.PatternWidth;
    p.PatternHeight = Pattern.PatternHeight;
    p.PatternAngle = Pattern.PatternAngle;
    p.ItemCount = static_cast<int32_t>(Members.size());
    return p;
}

std::unique_ptr<TObjectBase> TObjectPatternCreator::Clone() const {
    auto c = std::make_unique<TObjectPatternCreator>();
    static_cast<TObjectBase&>(*c) = *this;
    c->Pattern = Header();
    c->Members.clear(); // the copy's drawing is made by the caller (the members are worksheet objects)
    return c;
}

double TObjectPatternCreator::GridCell() const {
    return static_cast<double>(std::max(Width(), Height())) / std::clamp(Pattern.EditPoints, 1, 70);
}

void TObjectPatternCreator::Offset(int32_t dx, int32_t dy) {
    TObjectBase::Offset(dx, dy);
    for (TSLStitch* m : Members)
        m->Offset(static_cast<float>(dx), static_cast<float>(dy));
}

void TObjectPatternCreator::Draw(const TDrawContext& dc, const TSupportDrawState& state) const {
    TObjectBase::Draw(dc, state);
    Canvas& c = *dc.Target;
    if (Flags & CREATOR_SHOW_GRID) { // the edit points the members snap to
        const double cell = GridCell();
        if (cell * dc.Scale >= 3.0) {
            c.SetPen(0xC8C8C8, 1.f, TPenStyle::Dot);
            for (double x = Rect.Left + cell; x < Rect.Right; x += cell)
                c.Line(dc.SX(x), dc.SY(Rect.Top), dc.SX(x), dc.SY(Rect.Bottom));
            for (double y = Rect.Top + cell; y < Rect.Bottom; y += cell)
                c.Line(dc.SX(Rect.Left), dc.SY(y), dc.SX(Rect.Right), dc.SY(y));
        }
    }
    if (Flags & CREATOR_MOSAIC) DrawMosaic(dc);
}

void TObjectPatternCreator::DrawMosaic(const TDrawContext& dc) const {
    // The drawing repeated in the eight tiles around the creator, as the pattern repeats over a
    // stitched area, a little lighter than the drawing itself so that the tile stays clear.
    Canvas& c = *dc.Target;
    std::vector<std::vector<TPointD>> lines;
    for (const TSLStitch* m : Members) {
        std::vector<TPointD> line;
        if (m->Kind() == KIND_CURVE)
            static_cast<const TSLCurve&>(*m).FlattenVisit(0, -1, [&](float x, float y, int32_t) {
                line.push_back({x, y});
            });
        else
            for (const TSP& p : *m)
                line.push_back({p.X, p.Y});
        if (line.size() > 1) lines.push_back(std::move(line));
    }
    if (lines.empty()) return;
    std::vector<TPointF> screen;
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j) {
            if (!i && !j) continue;
            const double ox = static_cast<double>(i) * Width(), oy = static_cast<double>(j) * Height();
            if (dc.ClipValid) {
                TKvRect tile = Rect;
                tile.Left += static_cast<int32_t>(ox), tile.Right += static_cast<int32_t>(ox);
                tile.Top += static_cast<int32_t>(oy), tile.Bottom += static_cast<int32_t>(oy);
                if (!tile.Intersects(dc.Clip)) continue;
            }
            for (const auto& line : lines) {
                screen.clear();
                for (const TPointD& p : line)
                    screen.push_back({dc.SX(p.X + ox), dc.SY(p.Y + oy)});
                c.SetPen(kMosaicColour, 1.f);
                c.Polyline(screen);
            }
        }
    c.SetPen(kMosaicTileColour, 1.f, TPenStyle::Dot);
    for (int i = -1; i <= 1; ++i)
        for (int j = -1; j <= 1; ++j)
            if (i || j) {
                const double l = Rect.Left + static_cast<double>(i) * Width();
                const double t = Rect.Top + static_cast<double>(j) * Height();
                c.Rectangle(dc.SX(l), dc.SY(t), dc.SX(l + Width()), dc.SY(t + Height()));
            }
}

void TObjectPatternCreator::Record(TRecordWriter& io) const {
    Header().Record(io);
}
void TObjectPatternCreator::Record(TRecordReader& io) {
    Pattern.Record(io);
    if (Pattern.SupportKind != SUPPORT_PATTERN_CREATOR || Pattern.TypeCode != 2)
        throw TReadError("a stitch pattern creator's record has the wrong kind");
    Colour = Pattern.Color;
    FrameStyle = Pattern.FrameStyle;
    Locked = Pattern.Locked;
    Layer = Pattern.Layer;
    Extra = Pattern.Extra;
    Flags = Pattern.Flags;
    Rect = Pattern.Bounds;
    // Sizes below a unit would divide by zero in the tile walk and the thumbnails.
    Pattern.PatternWidth = std::max(1, Pattern.PatternWidth);
    Pattern.PatternHeight = std::max(1, Pattern.PatternHeight);
    Pattern.EditPoints = std::clamp(Pattern.EditPoints, 1, 70);
    Members.clear();
}

TFontBase::TFontBase() : TObjectBase(SUPPORT_FONT_BASE) {
    Colour = 0xB6F7FC;
    Rect.Set(0, 0, 2399, 2399);
}

void TFontBase::Draw(const TDrawContext& dc, const TSupportDrawState& state) const {
    Canvas& c = *dc.Target;
    const uint32_t flags = Guides.DisplayFlags;
    if (!(flags & FONT_HIDE_BACKGROUND)) FillArea(dc, Rect, Guides.BackColour);
    // The glyph's foot stands on the Bottom line, centred across the backdrop.
    const std::string glyph(1, static_cast<char>(Code >= 32 && Code < 127 ? Code : '?'));
    const float size = static_cast<float>(std::round(kGlyphHeight * dc.Scale));
    TemplateTop = Guides.Bottom + kGlyphHeight - 1;
    const bool guides = state.Zoom >= kGuideZoom;
    const bool shown = !(flags & FONT_HIDE_CHARACTER) && size >= 2.f;
    const bool highlight = !(flags & FONT_NO_HIGHLIGHT);
    auto drawGlyph = [&](bool background) {
        c.SetFont(Guides.TemplateName, Guides.TemplateStyle & 1, (Guides.TemplateStyle & 2) != 0);
        const float w = c.TextWidth(glyph, size);
        const float x = dc.SX((Rect.Left + Rect.Right + 1) / 2.0) - w / 2;
        const float foot = dc.SY(static_cast<double>(Rect.Bottom) - Guides.Bottom);
        if (background)
            c.FillPolygon({{x, foot - size}, {x + w, foot - size}, {x + w, foot}, {x, foot}},
                          Guides.HighColour);
        c.Text(x, foot, glyph, Guides.CharColour, size);
        c.SetFont({}, false, false);
    };
    if (flags & FONT_LINES_BELOW) {
        // The lines under the glyph: a highlighted glyph first, the lines over it, and the glyph
        // once more without its background over the lines.
        if (shown && highlight) drawGlyph(true);
        if (guides) DrawGuides(dc);
        if (shown) drawGlyph(false);
    } else {
        if (shown) drawGlyph(highlight);
        if (guides) DrawGuides(dc);
    }
    Border(dc, Rect, FrameStyle);
}

void TFontBase::DrawGuides(const TDrawContext& dc) const {
    Canvas& c = *dc.Target;
    const TFontGuides& g = Guides;
    const float top = dc.SY(Rect.Top), bottom = dc.SY(Rect.Bottom + 1);
    const float left = dc.SX(Rect.Left), right = dc.SX(Rect.Right + 1);
    // Each line is followed by a white one a pixel to its right or below, so that it shows on
    // any background.
    auto vertical = [&](int32_t value, int32_t colour) {
        const float x = dc.SX(static_cast<double>(Rect.Left) + value);
        c.SetPen(colour, 1.f);
        c.Line(x, top, x, bottom);
        c.SetPen(0xFFFFFF, 1.f);
        c.Line(x + 1, top, x + 1, bottom);
    };
    auto horizontal = [&](int32_t value, int32_t colour) {
        const float y = dc.SY(static_cast<double>(Rect.Bottom) - value);
        c.SetPen(colour, 1.f);
        c.Line(left, y, right, y);
        c.SetPen(0xFFFFFF, 1.f);
        c.Line(left, y + 1, right, y + 1);
    };
    if (!(g.DisplayFlags & FONT_HIDE_LEFT)) vertical(g.Left, 0x8000);
    if (!(g.DisplayFlags & FONT_HIDE_RIGHT)) vertical(g.Right, 0x8000);
    if (!(g.DisplayFlags & FONT_HIDE_BOTTOM)) horizontal(TemplateTop, 0x000000);
    if (!(g.DisplayFlags & FONT_HIDE_TOP)) horizontal(g.Top, 0x0000FF);
    if (!(g.DisplayFlags & FONT_HIDE_BASELINE)) horizontal(g.BaseLine, 0x000000);
    if (!(g.DisplayFlags & FONT_HIDE_BOTTOM)) horizontal(g.Bottom, 0x8000);
}

TSupportBaseList::TSupportBaseList() {
    Reset();
}

void TSupportBaseList::Reset() {
    Clear();
    Add(MakeEmbroideryFrame());
    Selected = -1;
    SetCurrent(nullptr);
}

void TSupportBaseList::Renumber() {
    for (int32_t i = 0; i < Count(); ++i)
        (*this)[i]->ListIndex = i;
}

// Smallest item: kind byte, type code, colour, three bytes, extra, flags, the 17-byte rectangle.
constexpr size_t MIN_SUPPORT_RECORD = 1 + 1 + 4 + 3 + 4 + 4 + 17;

void TSupportBaseList::Record(TRecordWriter& io) const {
    int32_t n = 0;
    for (const auto& item : *this)
        n += item->Kind != SUPPORT_FONT_BASE;
    io.Count(n, MIN_SUPPORT_RECORD, "support object count");
    for (const auto& item : *this) {
        if (item->Kind == SUPPORT_FONT_BASE) continue; // the font editor's, never saved
        // A pattern creator's record begins with its kind byte itself.
        if (item->Kind != SUPPORT_PATTERN_CREATOR) io.Field(item->Kind);
        item->Record(io);
    }
}

void TSupportBaseList::Record(TRecordReader& io) {
    int32_t n = 0;
    io.Count(n, MIN_SUPPORT_RECORD, "support object count");
    Clear();
    for (int32_t i = 0; i < n; ++i) {
        uint8_t kind = io.PeekByte();
        if (kind != SUPPORT_PATTERN_CREATOR) io.Field(kind);
        auto item = CreateSupportOfKind(kind);
        // Records carry no length: past an unknown kind nothing else could be read.
        if (!item) throw TReadError("unknown support object kind " + std::to_string(kind));
        if (item->Kind == SUPPORT_PICTURE) static_cast<TObjectBitmap&>(*item).Jpeg.clear();
        item->Record(io);
        Add(std::move(item));
    }
    // Item 0 (the rubber band) always exists.
    if (Count() == 0) Add(MakeEmbroideryFrame());
    Selected = -1;
    SetCurrent(nullptr);
}

TObjectBase* TSupportBaseList::Create(uint8_t kind, int32_t x, int32_t y) {
    // A font backdrop is made here only (for the font editor): files never hold one.
    std::unique_ptr<TObjectBase> item = kind == SUPPORT_FRAME       ? MakeEmbroideryFrame()
                                        : kind == SUPPORT_FONT_BASE ? std::make_unique<TFontBase>()
                                                                    : CreateSupportOfKind(kind);
    if (!item) return nullptr;
    item->Offset(x - item->Rect.Left, y - item->Rect.Top);
    TObjectBase* raw = Add(std::move(item));
    Selected = Count() - 1;
    return raw;
}

int32_t TSupportBaseList::HitTest(double x, double y, double margin, TSupportHit* hit) const {
    // Topmost first: the layers from above the grid down, later items over earlier ones.
    for (uint8_t layer : {LAYER_ABOVE, LAYER_BETWEEN, LAYER_BELOW})
        for (int32_t i = Count() - 1; i >= 1; --i) {
            const TObjectBase& o = *(*this)[i];
            if (o.Layer != layer) continue;
            if (o.Kind == SUPPORT_TEXT_LABEL && !static_cast<const TObjectText&>(o).Shown()) {
                // A closed popup is its marker only.
                if (x < o.Rect.Left || x > o.Rect.Left + 100 || y < o.Rect.Top || y > o.Rect.Top + 100)
                    continue;
                if (hit) *hit = TSupportHit::Inside;
                return i;
            }
            TSupportHit h = o.HitTest(x, y, margin);
            if (h == TSupportHit::None) continue;
            if (hit) *hit = h;
            return i;
        }
    if (hit) *hit = TSupportHit::None;
    return -1;
}

void TSupportBaseList::Draw(uint8_t layer, const TDrawContext& dc, const TSupportDrawState& state) const {
    for (int32_t i = 1; i < Count(); ++i) {
        const TObjectBase& o = *(*this)[i];
        if (o.Layer != layer) continue;
        TKvRect reach = o.Rect;
        if (o.Kind == SUPPORT_PATTERN_CREATOR && (o.Flags & CREATOR_MOSAIC)) {
            // The repeated drawing reaches one tile further each way.
            reach.Left -= o.Width(), reach.Right += o.Width();
            reach.Top -= o.Height(), reach.Bottom += o.Height();
        }
        if (dc.ClipValid && !reach.Intersects(dc.Clip)) continue;
        o.Draw(dc, state);
        if (i == Selected) {
            dc.Target->SetPen(kHighlight, 1.f, TPenStyle::Dot);
            dc.Target->Rectangle(dc.SX(o.Rect.Left) - 2, dc.SY(o.Rect.Top) - 2, dc.SX(o.Rect.Right + 1) + 2,
                                 dc.SY(o.Rect.Bottom + 1) + 2);
        }
    }
}

void TSupportBaseList::BringToTop(int32_t i) {
    if (i < 1 || i >= Count()) return;
    Move(i, Count() - 1);
    if (Selected == i) Selected = Count() - 1;
}

void TSupportBaseList::SendToBottom(int32_t i) {
    if (i < 1 || i >= Count()) return;
    Move(i, 1);
    if (Selected == i) Selected = 1;
}

std::unique_ptr<TObjectBase> TSupportBaseList::Remove(int32_t i) {
    if (i < 1 || i >= Count()) return nullptr;
    if (Selected == i)
        Selected = -1;
    else if (Selected > i)
        --Selected;
    return Extract(i);
}

namespace {
// The item as a text memo, null for any other kind.
TObjectText* MemoOf(TObjectBase* o) {
    return o && o->Kind == SUPPORT_TEXT_LABEL ? static_cast<TObjectText*>(o) : nullptr;
}
} // namespace

void TSupportBaseList::MoveLockedMemos(const TSLStitch* object, int32_t dx, int32_t dy) {
    if (!object) return;
    for (int32_t i = 1; i < Count(); ++i)
        if (TObjectText* m = MemoOf((*this)[i]); m && m->Locked == object) m->Offset(dx, dy);
}

bool TSupportBaseList::HasMemoLockedTo(const TSLStitch* object) const {
    for (int32_t i = 1; i < Count(); ++i)
        if (TObjectText* m = MemoOf((*this)[i]); m && object && m->Locked == object) return true;
    return false;
}

void TSupportBaseList::UnlockFrom(const TSLStitch* object) {
    for (int32_t i = 1; i < Count(); ++i)
        if (TObjectText* m = MemoOf((*this)[i]); m && m->Locked == object) {
            m->Locked = nullptr;
            m->LockedTo = 0;
        }
}

std::vector<TSLStitch*> TSupportBaseList::Locks() const {
    // In the order of the list's record, which leaves the font backdrops out.
    std::vector<TSLStitch*> locks{nullptr};
    for (int32_t i = 1; i < Count(); ++i)
        if ((*this)[i]->Kind != SUPPORT_FONT_BASE) {
            TObjectText* m = MemoOf((*this)[i]);
            locks.push_back(m ? m->Locked : nullptr);
        }
    return locks;
}

void TSupportBaseList::SetLocks(const std::vector<TSLStitch*>& locks) {
    size_t at = 1;
    for (int32_t i = 1; i < Count() && at < locks.size(); ++i)
        if ((*this)[i]->Kind != SUPPORT_FONT_BASE) {
            if (TObjectText* m = MemoOf((*this)[i])) m->Locked = locks[at];
            ++at;
        }
}

void TSupportBaseList::NumberLocks(const std::function<int32_t(const TSLStitch*)>& positionOf) {
    for (int32_t i = 1; i < Count(); ++i)
        if (TObjectText* m = MemoOf((*this)[i])) {
            const int32_t at = m->Locked ? positionOf(m->Locked) : -1;
            m->LockedTo = at >= 0 ? at + 1 : 0;
        }
}

void TSupportBaseList::ResolveLocks(const std::vector<TSLStitch*>& objects) {
    for (int32_t i = 1; i < Count(); ++i)
        if (TObjectText* m = MemoOf((*this)[i])) {
            const int32_t n = m->LockedTo;
            m->Locked = n >= 1 && static_cast<size_t>(n) <= objects.size()
                            ? objects[static_cast<size_t>(n) - 1]
                            : nullptr;
            if (!m->Locked) m->LockedTo = 0;
        }
}

void TSupportBaseList::RubberBand(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    (*this)[0]->Rect.Set(std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1));
}

std::vector<TObjectPatternCreator*> TSupportBaseList::Creators() const {
    std::vector<TObjectPatternCreator*> out;
    for (int32_t i = 1; i < Count(); ++i)
        if ((*this)[i]->Kind == SUPPORT_PATTERN_CREATOR)
            out.push_back(static_cast<TObjectPatternCreator*>((*this)[i]));
    return out;
}

const char* SupportPropertiesCaption(uint8_t kind) {
    switch (kind) {
    case SUPPORT_PICTURE:
        return "Image Properties";
    case SUPPORT_PATTERN_CREATOR:
        return "Stitch Creator Properties";
    case SUPPORT_TEXT_LABEL:
        return "Label Properties";
    default:
        return "Embroidery Frame Properties";
    }
}

std::unique_ptr<TObjectBase> MakeEmbroideryFrame() {
    auto f = std::make_unique<TObjectBase>(SUPPORT_FRAME);
    f->Rect.Set(0, 0, 1999, 1999);
    return f;
}

std::unique_ptr<TObjectBase> CreateSupportOfKind(uint8_t kind) {
    switch (kind) {
    case SUPPORT_FRAME:
        return std::make_unique<TObjectBase>(SUPPORT_FRAME);
    case SUPPORT_PICTURE:
        return std::make_unique<TObjectBitmap>();
    case SUPPORT_PATTERN_CREATOR:
        return std::make_unique<TObjectPatternCreator>();
    case SUPPORT_TEXT_LABEL:
        return std::make_unique<TObjectText>();
    default:
        return nullptr;
    }
}

} // namespace nl
