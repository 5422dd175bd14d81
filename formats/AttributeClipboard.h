// The attribute record on the clipboard (magic 1361): the source object's kind, then every
// attribute behind a one-byte include flag, the value following only when the flag is 1. This
// program writes it to carry a stitch pattern from one object to another ("Copy Pattern" /
// "Paste Pattern"): only the overlay pattern is included. Reading walks every item, so a record
// with other attributes included is read as well; its pattern is what is taken.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "stitching/CurveParts.h"

namespace nl {

constexpr int32_t CLIPBOARD_ATTRIBUTES_MAGIC = 1361;

// The record of `pattern` (a pattern copy; null writes the "no pattern" form) copied from an
// object of kind `sourceKind` (1 curve, 7 region).
std::vector<uint8_t> PatternAttributeBytes(uint8_t sourceKind, const TObjectStitch* pattern);

// The pattern an attribute record carries: nullopt when the bytes are not an attribute record at
// all (object data, another program's text), a null pointer when the record includes no pattern.
// Throws TReadError when the record is damaged.
std::optional<std::unique_ptr<TObjectStitch>> ReadAttributePattern(std::span<const uint8_t> bytes);

} // namespace nl
