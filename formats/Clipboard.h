// The clipboard record of copied objects: magic 1360, the format version, the object count, each
// object's stream record (its kind byte: 1 curve, 2 direct stitch, 7 fill region, 24 lettering,
// whatever kinds the object factory makes) relative to the stream origin, and a 0 byte. The same
// bytes travel between two running copies of the program; the reader takes every kind the writer
// writes.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "stitching/SLStitch.h"

namespace nl {

constexpr int32_t CLIPBOARD_OBJECTS_MAGIC = 1360;

// The record of `objects` (in this order) with the stream origin at (originX, originY). Region
// nodes name their outlines by position in `objects`; every outline a region uses must be among
// them (the caller closes the selection first).
std::vector<uint8_t> ClipboardBytes(const std::vector<TSLStitch*>& objects, int32_t originX, int32_t originY);

// Reads a clipboard record with the stream origin at (originX, originY): the objects in order,
// rails paired, region nodes resolved among them, everything generated. Null when the bytes are
// not an object record (another program's text, attribute data). Throws TReadError when the
// record is damaged: counts, kinds, rail order or references that do not hold.
std::optional<std::vector<std::unique_ptr<TSLStitch>>>
ReadClipboard(std::span<const uint8_t> bytes, int32_t originX, int32_t originY, const TStitchContext& ctx);

} // namespace nl
