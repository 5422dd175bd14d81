// TSLFont: one lettered text character on the worksheet. Until lettering is built it is kept as
// what its worksheet record is, the base record with the character's stitches, so a worksheet
// holding text characters reads, draws, exports and saves them unchanged.
#pragma once
#include <memory>

#include "stitching/SLStitch.h"

namespace nl {

class TSLFont : public TSLStitch {
public:
    uint8_t Kind() const override { return KIND_FONT; }
    std::unique_ptr<TSLStitch> Clone() const override { return CloneAs<TSLFont>(); }
    void Record(TRecordReader& io) override {
        TSLStitch::Record(io);
        TStitchContext sc;
        UpdateBounds(sc);
    }
    using TSLStitch::Record;
};

} // namespace nl
