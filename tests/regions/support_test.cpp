// Support objects: the list record byte by byte and its refusals, pictures (decoding, the load
// error path, sizes, orientation), memos, and the list operations (hit test, snapping, layers,
// order, item 0).
#include <gtest/gtest.h>

#include <fstream>
#include <limits>

#include "core/BinaryIO.h"
#include "core/Errors.h"
#include "platform/RecordingCanvas.h"
#include "regions/Pattern.h"
#include "regions/Picture.h"
#include "regions/Support.h"
#include "stitching/SLStitch.h"
#include "stitching/StitchContext.h"
#include "tests/core/RecordBytes.h"
#include "tests/core/TempDir.h"

using namespace nl;
using nl::test::SameRecord;
using nl::test::TExpectedRecord;

namespace {

std::vector<uint8_t> Write(const TSupportBaseList& list) {
    TByteWriter w;
    TRecordWriter io(w, TRecordContext{}, TRecordForm::Worksheet);
    list.Record(io);
    return w.Take();
}

void Read(const std::vector<uint8_t>& bytes, TSupportBaseList& list) {
    TByteReader r(bytes);
    TRecordReader io(r, TRecordContext{}, TRecordForm::Worksheet);
    list.Record(io);
}

TRasterImage Gradient(int w, int h) {
    TRasterImage im;
    im.Width = w;
    im.Height = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            im.Argb.push_back(0xFF000000u | uint32_t(x * 255 / std::max(1, w - 1)) << 16 |
                              uint32_t(y * 255 / std::max(1, h - 1)));
    return im;
}

void ExpectBase(TExpectedRecord& e, uint8_t code, int32_t colour, uint8_t style, int32_t extra,
                uint32_t flags, int32_t l, int32_t t, int32_t r, int32_t b) {
    e.U8(code, "type code").I32(colour, "Color").U8(style, "FrameStyle").U8(0, "Locked").U8(0, "Layer");
    e.I32(extra, "Extra").U32(flags, "Flags").Rect(l, t, r, b, false, "Bounds");
}

TDrawContext Dc(Canvas& c) {
    TDrawContext dc;
    dc.Target = &c;
    dc.Scale = 1.0;
    return dc;
}

} // namespace

TEST(SupportRecord, ListLayoutByteByByte) {
    TSupportBaseList list;
    auto* frame = list.Create(SUPPORT_FRAME, 0, 0);
    frame->Extra = 2;
    auto* memo = static_cast<TObjectText*>(list.Create(SUPPORT_TEXT_LABEL, 100, 200));
    memo->Lines = {"ab"};
    memo->Flags = MEMO_WORD_WRAP;
    // A font backdrop belongs to the font editor: never written, not counted.
    list.Add(std::make_unique<TObjectBase>(SUPPORT_FONT_BASE));

    TExpectedRecord e;
    e.I32(3, "count (item 0 included)");
    e.U8(0, "kind item 0");
    ExpectBase(e, 0, NO_COLOUR, 2, 0, 0, 0, 0, 1999, 1999);
    e.U8(0, "kind frame");
    ExpectBase(e, 0, NO_COLOUR, 2, 2, 0, 0, 0, 1999, 1999);
    e.U8(4, "kind memo");
    ExpectBase(e, 0, 0xFFFFFF, 1, 0, MEMO_WORD_WRAP, 100, 200, 500, 1199);
    e.I32(0, "TextColor").F64(98.08, "FontHeight").I32(0, "LockedTo");
    e.I32(15, "font name length")
        .Raw({'T', 'i', 'm', 'e', 's', ' ', 'N', 'e', 'w', ' ', 'R', 'o', 'm', 'a', 'n'}, "font");
    e.U8(0, "font style")
        .I32(16, "font size")
        .I32(1, "line count")
        .I32(2, "line length")
        .Raw({'a', 'b'}, "line");
    const std::vector<uint8_t> bytes = Write(list);
    EXPECT_TRUE(SameRecord(bytes, e));

    TSupportBaseList back;
    Read(bytes, back);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(back[1]->Extra, 2);
    EXPECT_EQ(static_cast<TObjectText*>(back[2])->Lines, memo->Lines);
    EXPECT_EQ(Write(back), bytes);
}

TEST(SupportRecord, HostileRecordsAreRefusedWithAReason) {
    TSupportBaseList list;
    list.Create(SUPPORT_PICTURE, 0, 0);
    const std::vector<uint8_t> good = Write(list);
    struct TCase {
        const char* Name;
        std::vector<uint8_t> Bytes;
        const char* Expect;
    };
    std::vector<uint8_t> unknown = good;
    unknown[4 + 34] = 9; // the second item's kind byte (item 0 is 1 + 33 bytes)
    std::vector<uint8_t> bigJpeg = good;
    // The picture's JPEG size field sits 4 bytes before the data at the end.
    const size_t jpegSize = good.size() - static_cast<TObjectBitmap*>(list[1])->Jpeg.size() - 4;
    bigJpeg[jpegSize + 3] = 0x7F;
    std::vector<uint8_t> cut(good.begin(), good.end() - 10);
    std::vector<uint8_t> count = good;
    count[3] = 0x40;
    const std::vector<TCase> cases = {{"unknown kind", unknown, "unknown support object kind 9"},
                                      {"JPEG size beyond the data", bigJpeg, "picture data size"},
                                      {"cut short", cut, ""},
                                      {"count beyond the data", count, "support object count"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSupportBaseList back;
        try {
            Read(c.Bytes, back);
            ADD_FAILURE() << "accepted";
        } catch (const TReadError& e) {
            EXPECT_NE(std::string(e.what()).find(c.Expect), std::string::npos) << e.what();
        }
    }
    // An empty list reads back with its item 0.
    TSupportBaseList empty;
    Read({0, 0, 0, 0}, empty);
    EXPECT_EQ(empty.Count(), 1);
}

TEST(Picture, SizeFollowsThePictureAndItsZoom) {
    TObjectBitmap p;
    p.Rect.Set(40, 60, 40, 60);
    p.SetJpeg(EncodeJpeg(Gradient(100, 50)));
    EXPECT_EQ(p.NoImage, 0);
    EXPECT_EQ(p.Rect.Right, 40 + 612);  // 100 px x 6.13 = 613 units
    EXPECT_EQ(p.Rect.Bottom, 60 + 305); // 306.5 rounds to even
    p.Zoom = 200;
    p.SizeFromPicture();
    EXPECT_EQ(p.Width(), 1226);
    // A quarter turn swaps the sides; two mirrors keep them.
    ASSERT_TRUE(p.Orient(TObjectBitmap::TOrient::Rotate90));
    EXPECT_EQ(p.PictureWidth(), 50);
    EXPECT_EQ(p.PictureHeight(), 100);
    ASSERT_TRUE(p.Orient(TObjectBitmap::TOrient::MirrorH));
    EXPECT_EQ(p.PictureWidth(), 50);
}

TEST(Picture, PixelOperationsMoveEveryPixel) {
    TRasterImage im = Gradient(3, 2);
    const TRasterImage r = Rotated90(im);
    ASSERT_EQ(r.Width, 2);
    ASSERT_EQ(r.Height, 3);
    // Clockwise: the bottom-left pixel comes to the top-left.
    EXPECT_EQ(r.Argb[0], im.Argb[3]);
    EXPECT_EQ(r.Argb[1], im.Argb[0]);
    EXPECT_EQ(MirroredH(im).Argb[0], im.Argb[2]);
    EXPECT_EQ(MirroredV(im).Argb[0], im.Argb[3]);
    const TRasterImage small = ScaledDown(Gradient(400, 100), 100);
    EXPECT_EQ(small.Width, 100);
    EXPECT_EQ(small.Height, 25);
}

TEST(Picture, LargeJpegDecodesScaledForTheView) {
    const std::vector<uint8_t> jpeg = EncodeJpeg(Gradient(1600, 800), 90);
    const TRasterImage full = DecodeJpeg(jpeg);
    EXPECT_EQ(full.Width, 1600);
    const TRasterImage view = DecodeJpeg(jpeg, 200);
    EXPECT_EQ(view.Width, 200); // 1/8 of the size still covers 200 pixels
    EXPECT_THROW(DecodeJpeg(jpeg, 0, 1000), TReadError);

    TObjectBitmap p;
    p.SetJpeg(jpeg);
    const TRasterImage* a = p.ViewCopy(300);
    ASSERT_TRUE(a);
    EXPECT_LE(std::max(a->Width, a->Height), 450);
    // Redrawn at a similar size: the same copy, not a new decode.
    EXPECT_EQ(p.ViewCopy(320), a);
}

TEST(Picture, DataThatIsNotAJpegShowsTheReasonNeverGarbage) {
    TObjectBitmap p;
    p.FileName = "trace-me.jpg";
    p.Jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 1, 2, 3, 4, 5}; // a JPEG start, then nothing usable
    EXPECT_FALSE(p.Decodable());
    TRecordingCanvas c;
    p.Draw(Dc(c), {});
    EXPECT_EQ(c.CountKind('I'), 0u);
    ASSERT_EQ(c.CountKind('T'), 1u);
    EXPECT_EQ(c.Ops.back().Text.rfind("Unable To Display Image trace-me.jpg", 0), 0u);

    // Hidden pictures say how to show them again.
    TObjectBitmap shown;
    TRecordingCanvas c2;
    TSupportDrawState hidden;
    hidden.HideBitmaps = true;
    shown.Draw(Dc(c2), hidden);
    EXPECT_EQ(c2.CountKind('I'), 0u);
    shown.Draw(Dc(c2), {});
    EXPECT_EQ(c2.CountKind('I'), 1u);
    bool said = false;
    for (auto& op : c2.Ops)
        said = said || op.Text == "Image Hidden ( Use Ctrl B to View )";
    EXPECT_TRUE(said);
}

TEST(Picture, LoadingAFileByItsExtension) {
    nl::test::TTempDir dir;
    auto put = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        std::ofstream(dir.Path / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (dir.Path / name).string();
    };
    const std::vector<uint8_t> jpeg = EncodeJpeg(Gradient(20, 10));
    // A 2 x 1 24-bit bitmap: blue then red.
    std::vector<uint8_t> bmp = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0,  54, 0, 0, 0, 40, 0, 0, 0, 2,
                                0,   0,   0,  1, 0, 0, 0, 1, 0, 24, 0,  0, 0, 0, 0,  8, 0, 0, 0};
    bmp.resize(54, 0);
    for (uint8_t b : {255, 0, 0, 0, 0, 255, 0, 0})
        bmp.push_back(b);
    struct TCase {
        std::string File;
        bool Ok;
    };
    const std::vector<TCase> cases = {{put("a.jpg", jpeg), true},
                                      {put("b.JPEG", jpeg), true},
                                      {put("c.bmp", bmp), true},
                                      {put("d.png", jpeg), false},
                                      {put("e.wmf", {1, 2, 3}), false},
                                      {put("f.jpg", {0xFF, 0xD8}), false},
                                      {(dir.Path / "missing.jpg").string(), false}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        TObjectBitmap p;
        const std::string error = p.LoadFile(c.File);
        EXPECT_EQ(error.empty(), c.Ok) << error;
        EXPECT_EQ(p.NoImage, c.Ok ? 0 : 1);
        EXPECT_TRUE(p.Decodable()); // the default picture when the file failed
        if (!c.Ok) {
            EXPECT_EQ(error.rfind("Unable To Load Image ", 0), 0u);
        }
    }
    // The bitmap's rows are bottom-up, its pixels blue, green, red.
    const TRasterImage im = DecodeBmp(bmp);
    ASSERT_EQ(im.Width, 2);
    EXPECT_EQ(im.Argb[0], 0xFF0000FFu);
    EXPECT_EQ(im.Argb[1], 0xFFFF0000u);
    TObjectBitmap p;
    p.LoadFile(cases[2].File);
    EXPECT_EQ(DecodeJpeg(p.Jpeg).Width, 2);
    // Bitmaps whose pixels are not all there are refused before anything is allocated.
    std::vector<uint8_t> cut(bmp.begin(), bmp.end() - 1);
    EXPECT_THROW(DecodeBmp(cut), TReadError);
    std::vector<uint8_t> huge = bmp;
    huge[21] = 0x7F; // width 2^31 - ...
    EXPECT_THROW(DecodeBmp(huge), TReadError);
}

TEST(Memo, WordWrapAndPopup) {
    TObjectText m;
    m.Lines = {"one two three four", ""};
    EXPECT_EQ(m.LaidOutLines(100, 20), m.Lines); // no wrap: as typed
    m.Flags |= MEMO_WORD_WRAP;
    EXPECT_EQ(m.LaidOutLines(96, 20), (std::vector<std::string>{"one two", "three", "four", ""}));
    EXPECT_EQ(m.LaidOutLines(48, 20), (std::vector<std::string>{"one", "two", "thre", "e", "four", ""}));

    m.Flags |= MEMO_POPUP;
    m.Rect.Set(1000, 1000, 1400, 1999);
    EXPECT_FALSE(m.Shown());
    EXPECT_FALSE(m.PointerAt(900, 900));
    EXPECT_TRUE(m.PointerAt(1050, 1050)); // near the marker: opens
    EXPECT_TRUE(m.Shown());
    EXPECT_FALSE(m.PointerAt(1300, 1500)); // over the open memo: stays
    EXPECT_TRUE(m.PointerAt(2000, 2000));  // away: closes
    EXPECT_FALSE(m.Shown());

    // A transparent memo draws its text and border only.
    TObjectText t;
    t.Flags = SUPPORT_TRANSPARENT;
    TRecordingCanvas c;
    t.Draw(Dc(c), {});
    EXPECT_EQ(c.CountKind('F'), 0u);
    EXPECT_EQ(c.CountKind('T'), 2u);
}

TEST(SupportList, HitTestLayersOrderAndSnapping) {
    TSupportBaseList list;
    auto* below = list.Create(SUPPORT_TEXT_LABEL, 0, 0);
    below->Layer = LAYER_BELOW;
    auto* above = list.Create(SUPPORT_TEXT_LABEL, 200, 0);
    TSupportHit hit{};
    // The overlap goes to the object above the grid; item 0 is never hit.
    EXPECT_EQ(list.HitTest(300, 500, 5, &hit), 2);
    EXPECT_EQ(hit, TSupportHit::Inside);
    EXPECT_EQ(list.HitTest(100, 500, 5, &hit), 1);
    EXPECT_EQ(list.HitTest(201, 500, 5, &hit), 2);
    EXPECT_EQ(hit, TSupportHit::Border);
    EXPECT_EQ(list.HitTest(5000, 5000, 5), -1);

    list.SendToBottom(2);
    EXPECT_EQ(list[1], above);
    list.BringToTop(1);
    EXPECT_EQ(list[2], above);
    EXPECT_EQ(list.Remove(0), nullptr); // item 0 stays
    EXPECT_EQ(list.Remove(1).get(), below);
    EXPECT_EQ(list.Count(), 2);

    above->Rect.Set(130, 290, 530, 1289);
    above->Flags |= SUPPORT_SNAP;
    EXPECT_EQ(above->SnapToGrid(200), std::make_pair(70, -90));
    EXPECT_EQ(above->Rect.Left, 200);
    EXPECT_EQ(above->Rect.Top, 200);
    EXPECT_EQ(above->Width(), 401);
    above->Flags &= ~SUPPORT_SNAP;
    above->Offset(3, 3);
    EXPECT_EQ(above->SnapToGrid(200), std::make_pair(0, 0));

    list.RubberBand(50, 60, 10, 20);
    EXPECT_EQ(list[0]->Rect.Left, 10);
    EXPECT_EQ(list[0]->Rect.Bottom, 60);
    list.Reset();
    EXPECT_EQ(list.Count(), 1);

    // Memos locked to an object move with it.
    auto* memo = static_cast<TObjectText*>(list.Create(SUPPORT_TEXT_LABEL, 0, 0));
    TSLStitch object, other;
    memo->Locked = &object;
    list.MoveLockedMemos(&object, 10, 20);
    list.MoveLockedMemos(&other, 10, 20);
    EXPECT_EQ(memo->Rect.Left, 10);
    EXPECT_EQ(memo->Rect.Top, 20);
    // A file names the object by its place (+ 1); reading resolves the number, and one that names
    // no object unlocks the memo.
    std::vector<TSLStitch*> objects{&other, &object};
    list.NumberLocks([&](const TSLStitch* o) { return o == &object ? 1 : -1; });
    EXPECT_EQ(memo->LockedTo, 2);
    memo->Locked = nullptr;
    list.ResolveLocks(objects);
    EXPECT_EQ(memo->Locked, &object);
    memo->LockedTo = 3;
    list.ResolveLocks(objects);
    EXPECT_EQ(memo->Locked, nullptr);
    EXPECT_EQ(memo->LockedTo, 0);
    memo->Locked = &object;
    list.UnlockFrom(&object);
    EXPECT_EQ(memo->Locked, nullptr);
    // The locks in the order of the list's record, which has no font backdrop: put back on a list
    // read from that record, they land on the same memos.
    memo->Locked = &object;
    list.Add(std::make_unique<TFontBase>());
    list.Move(list.Count() - 1, 1);
    const std::vector<TSLStitch*> locks = list.Locks();
    EXPECT_EQ(locks, (std::vector<TSLStitch*>{nullptr, &object}));
    TSupportBaseList copy;
    copy.Add(std::make_unique<TObjectText>());
    copy.SetLocks(locks);
    EXPECT_EQ(static_cast<TObjectText*>(copy[1])->Locked, &object);
}

TEST(PatternCreator, PointsOfTheDrawingStayInTheTileAndSnapToGridNodesWithinIt) {
    // A 1000 x 330 creator with 10 edit points: cells of 100 units from its corner; the short side
    // ends between nodes, so its last node is at 300.
    TObjectPatternCreator c;
    c.Rect.Set(200, 100, 1199, 429);
    c.Pattern.EditPoints = 10;
    ASSERT_DOUBLE_EQ(c.GridCell(), 100.0);
    struct TCase {
        float X, Y;
        bool Snap;
        float WantX, WantY;
    } cases[] = {
        {449, 151, true, 400, 200},        // nearest node
        {150, 50, true, 200, 100},         // outside left and above: the corner
        {1250, 429, true, 1200, 400},      // the far edge is a node (the next tile's near edge)
        {700, 1000, true, 700, 400},       // below: the last node of the short side
        {449.5f, 151, false, 449.5f, 151}, // without snapping only kept in the tile
        {5000, -5000, false, 1200, 100},
    };
    for (const TCase& k : cases) {
        float x = k.X, y = k.Y;
        PlaceInCreator(c, x, y, k.Snap);
        EXPECT_FLOAT_EQ(x, k.WantX) << k.X << "," << k.Y;
        EXPECT_FLOAT_EQ(y, k.WantY) << k.X << "," << k.Y;
    }
}

TEST(Memo, AFilesFontHeightIsKeptWithinTheTallestMemo) {
    // A hostile height would reach the screen as a pixel size no font engine (or int) holds.
    for (double height : {1e300, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
        TSupportBaseList list;
        auto memo = std::make_unique<TObjectText>();
        memo->FontHeight = height;
        list.Add(std::move(memo));
        TSupportBaseList back;
        Read(Write(list), back);
        const double h = static_cast<const TObjectText&>(*back[1]).FontHeight;
        EXPECT_GE(h, 1.0) << height;
        EXPECT_LE(h, TObjectText::kMaxMemoFontHeight) << height;
    }
}

TEST(FontBackdrop, BackgroundGlyphAndGuideLinesFromTheZoomOn) {
    TSupportBaseList list;
    auto* b = static_cast<TFontBase*>(list.Create(SUPPORT_FONT_BASE, 1000, 500));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Width(), 2400);
    EXPECT_EQ(b->Colour, 0xB6F7FC);
    auto count = [](const TRecordingCanvas& c, char kind, int32_t colour) {
        size_t n = 0;
        for (const auto& op : c.Ops)
            n += op.Kind == kind && op.Colour == colour;
        return n;
    };
    const TFontGuides& g = b->Guides;
    TRecordingCanvas c;
    b->Draw(Dc(c), {false, 100.f});
    EXPECT_EQ(count(c, 'F', g.BackColour), 1u) << "the background";
    EXPECT_EQ(count(c, 'F', g.HighColour), 1u) << "the glyph's highlight";
    ASSERT_EQ(count(c, 'T', g.CharColour), 1u);
    EXPECT_EQ(c.Fonts.front(), "Arial");
    for (const auto& op : c.Ops)
        if (op.Kind == 'T') {
            EXPECT_EQ(op.Text, "A");
            // The foot stands on the Bottom line (units at scale 1 are pixels).
            EXPECT_FLOAT_EQ(op.Points[0].Y, static_cast<float>(b->Rect.Bottom - g.Bottom));
        }
    EXPECT_EQ(b->TemplateTop, g.Bottom + TFontBase::kGlyphHeight - 1);
    // Two vertical and four horizontal guide lines, each with its white companion.
    EXPECT_EQ(count(c, 'L', 0x8000), 3u) << "left, right, bottom";
    EXPECT_EQ(count(c, 'L', 0x0000FF), 1u) << "top";
    EXPECT_EQ(count(c, 'L', 0x000000), 2u) << "template top, baseline";
    for (const auto& op : c.Ops)
        if (op.Kind == 'L' && op.Colour == 0x0000FF) {
            EXPECT_FLOAT_EQ(op.Points[0].Y, static_cast<float>(b->Rect.Bottom - g.Top));
        }

    // Below zoom 70 no lines; hidden background, character and lines as the switches say.
    TRecordingCanvas small;
    b->Draw(Dc(small), {false, 60.f});
    EXPECT_EQ(count(small, 'L', 0x8000) + count(small, 'L', 0x0000FF), 0u);
    EXPECT_EQ(count(c, 'L', 0xFFFFFF) - count(small, 'L', 0xFFFFFF), 6u) << "a white companion per line";
    b->Guides.DisplayFlags = FONT_HIDE_BACKGROUND | FONT_HIDE_CHARACTER | FONT_HIDE_LEFT | FONT_HIDE_BOTTOM;
    TRecordingCanvas hidden;
    b->Draw(Dc(hidden), {false, 100.f});
    EXPECT_EQ(hidden.CountKind('F'), 0u);
    EXPECT_EQ(hidden.CountKind('T'), 0u);
    EXPECT_EQ(count(hidden, 'L', 0x8000), 1u) << "the right line only";
    EXPECT_EQ(count(hidden, 'L', 0x000000), 1u) << "the baseline without the template top";

    // Lines below the character: highlighted glyph, lines, the glyph again over them.
    b->Guides.DisplayFlags = FONT_LINES_BELOW;
    TRecordingCanvas below;
    b->Draw(Dc(below), {false, 100.f});
    EXPECT_EQ(count(below, 'T', g.CharColour), 2u);
    std::vector<char> order;
    for (const auto& op : below.Ops)
        if (op.Kind == 'T' || (op.Kind == 'L' && op.Colour == 0x8000)) order.push_back(op.Kind);
    EXPECT_EQ(order.front(), 'T');
    EXPECT_EQ(order.back(), 'T');
}
