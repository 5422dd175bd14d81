// Stitch overlay pattern files (".KVP"): one stitch pattern creator record whose drawing always
// follows it: the type code 2, the frame fields, the writer's version, the pattern settings, the
// number of drawing objects and each object's worksheet record (outlines and direct stitches).
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "stitching/CurveParts.h"

namespace nl {

constexpr uint8_t PATTERN_FILE_TYPE = 2;
constexpr const char* PATTERN_FILE_EXTENSION = "KVP";
constexpr const char* PATTERN_FILE_FILTER = "Stitch Overlay Pattern ( *.KVP )|*.KVP;*.kvp";
constexpr const char* PATTERNS_FOLDER_NAME = "Patterns";

// A file that is not a pattern file at all (its first byte is not the creator's type code), told
// apart from a damaged one because the user is told differently.
class TNotAPatternFile : public TReadError {
public:
    using TReadError::TReadError;
};

// The bytes of a pattern file holding `pattern`: its frame fields and settings, and its Items (the
// drawing, in worksheet coordinates within its Bounds) as worksheet records.
std::vector<uint8_t> PatternFileBytes(const TObjectStitch& pattern);

// Reads a pattern file's bytes: the drawing comes back in Items (ItemCount matching), every count
// checked against the bytes left, the objects' records read as of the file's own version.
// Throws TNotAPatternFile for a first byte other than 2, TReadError for a damaged or truncated
// file ("Pattern Loading Error " for an object kind a pattern cannot hold).
std::unique_ptr<TObjectStitch> ReadPatternFile(std::span<const uint8_t> bytes);

// Whole files: the writer never destroys the previous file; the reader's errors name the file.
void SavePatternFile(const std::filesystem::path& path, const TObjectStitch& pattern);
std::unique_ptr<TObjectStitch> LoadPatternFile(const std::filesystem::path& path);

// The pattern files of a folder (extension KVP in any case), sorted by name; none when the folder
// does not exist.
std::vector<std::filesystem::path> PatternFiles(const std::filesystem::path& folder);

} // namespace nl
