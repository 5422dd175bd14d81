// Support objects: the non-stitching objects of the worksheet (embroidery frame, pictures,
// text labels, stitch pattern creators, the font base). Their behaviour grows with the support
// object feature; the worksheet needs the list and the frame from the start.
#pragma once
#include <cstdint>
#include <memory>

#include "core/Colour.h"
#include "core/KvRect.h"
#include "core/ObList.h"

namespace nl {

enum : uint8_t {
    SUPPORT_FRAME = 0,
    SUPPORT_PICTURE = 1,
    SUPPORT_PATTERN_CREATOR = 3,
    SUPPORT_TEXT_LABEL = 4,
    SUPPORT_FONT_BASE = 5
};

class TObjectBase {
public:
    explicit TObjectBase(uint8_t kind = SUPPORT_FRAME) : Kind(kind) {}
    virtual ~TObjectBase() = default;
    uint8_t Kind;
    int32_t Colour = NO_COLOUR;
    uint32_t Flags = 0;
    TKvRect Rect;
};

class TSupportBaseList : public TObList<TObjectBase> {};

// The embroidery frame every worksheet starts with (a 100 x 100 mm hoop).
std::unique_ptr<TObjectBase> MakeEmbroideryFrame();

} // namespace nl
