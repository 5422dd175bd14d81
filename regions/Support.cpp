#include "regions/Support.h"

#include "core/Errors.h"

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

void TObjectBitmap::Record(TRecordWriter& io) const {
    TObjectBase::Record(io);
    PictureFields(io, *this);
}
void TObjectBitmap::Record(TRecordReader& io) {
    TObjectBase::Record(io);
    PictureFields(io, *this);
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
}

TObjectPatternCreator::TObjectPatternCreator() : TObjectBase(SUPPORT_PATTERN_CREATOR) {
    Pattern.Flags &= ~TObjectStitch::PATTERN_COPY;
    Colour = Pattern.Color;
    Extra = Pattern.Extra;
    Rect = Pattern.Bounds;
}
// The pattern's record starts with the kind byte and holds the frame fields: it is the owner of
// them, and the object shows what it read.
void TObjectPatternCreator::Record(TRecordWriter& io) const {
    Pattern.Record(io);
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
}

void TSupportBaseList::Renumber() {
    for (int32_t i = 0; i < Count(); ++i)
        (*this)[i]->ListIndex = i;
}

// Smallest item: kind byte, type code, colour, three bytes, extra, flags, the 17-byte rectangle.
constexpr size_t MIN_SUPPORT_RECORD = 1 + 1 + 4 + 3 + 4 + 4 + 17;

void TSupportBaseList::Record(TRecordWriter& io) const {
    io.Count(Count(), MIN_SUPPORT_RECORD, "support object count");
    for (const auto& item : *this) {
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
        if (!item) throw TReadError("unknown support object kind " + std::to_string(kind));
        item->Record(io);
        Add(std::move(item));
    }
    SetCurrent(nullptr);
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
