// Support objects: the non-stitching objects of the worksheet (embroidery frame, pictures,
// text labels, stitch pattern creators, the font base). Their behaviour grows with the support
// object feature; the worksheet needs the list, the frame and the records from the start, so that
// every support object a worksheet file holds is read, kept and written back unchanged.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Colour.h"
#include "core/KvRect.h"
#include "core/ObList.h"
#include "core/RecordIO.h"
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
enum : uint32_t { SUPPORT_SNAP = 0x1, SUPPORT_TRANSPARENT = 0x800 };

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
    // The record after the kind byte (type code, colour, frame style, lock, layer, extra, flags,
    // bounds, then what the kind adds).
    virtual void Record(TRecordWriter& io) const;
    virtual void Record(TRecordReader& io);
};

// A picture to trace: the image is kept as the JPEG bytes the file holds.
class TObjectBitmap : public TObjectBase {
public:
    TObjectBitmap() : TObjectBase(SUPPORT_PICTURE) {}
    uint8_t NoImage = 0;
    int32_t Zoom = 100;
    uint8_t UseAlpha = 0;
    int32_t Alpha = 191;
    uint8_t BestImage = 0;
    std::string FileName = "DoggySmall.bmp";
    std::vector<uint8_t> Jpeg;

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
};

// A text label memo.
class TObjectText : public TObjectBase {
public:
    TObjectText();
    int32_t TextColor = 0;
    double FontHeight = 98.08; // units: a 16-point font at 6.13 units per pixel
    int32_t LockedTo = 0;
    std::string FontName = "Times New Roman";
    uint8_t FontStyle = 0;
    int32_t FontSize = 16;
    std::vector<std::string> Lines{"Right Click On Object Outline", "And Select Properties !"};

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
};

// A stitch pattern creator: its record is the pattern's (which repeats the kind byte).
class TObjectPatternCreator : public TObjectBase {
public:
    TObjectPatternCreator();
    TObjectStitch Pattern;

    void Record(TRecordWriter& io) const override;
    void Record(TRecordReader& io) override;
};

class TSupportBaseList : public TObList<TObjectBase> {
public:
    // Stores every item's position in its ListIndex (done before saving).
    void Renumber();
    // The list record: int32 count, then per item its kind byte and its record. Reading replaces
    // the list; an unknown kind fails the read (its record's length is not known).
    void Record(TRecordWriter& io) const;
    void Record(TRecordReader& io);
};

// The embroidery frame every worksheet starts with (a 100 x 100 mm hoop).
std::unique_ptr<TObjectBase> MakeEmbroideryFrame();
// An empty support object of a kind, null for a kind the worksheet file does not hold.
std::unique_ptr<TObjectBase> CreateSupportOfKind(uint8_t kind);

} // namespace nl
