// Colour side files (.edr): the thread colours of an exported design's colour blocks, kept beside
// the machine file so that a later import gets the same colours back.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace nl {

constexpr const char* SIDE_TEMPLATE_NAME = "T.edr";
constexpr size_t SIDE_MARK_OFFSET = 1016; // entry 254
constexpr int32_t SIDE_MARK_COLOUR = 0x00C0C0C0;
constexpr size_t SIDE_TEMPLATE_MIN_SIZE = SIDE_MARK_OFFSET + 4;

// The side file that belongs to a machine file: same folder and name, extension ".edr".
std::filesystem::path SideFileName(const std::filesystem::path& stitchFile);

// The side file of an export: the template's bytes with entries 0, 1, ... replaced by the block
// colours and entry 254 marked. Throws TError when the template is too short to be one.
std::vector<uint8_t> BuildSideFile(std::span<const uint8_t> templateBytes, std::span<const int32_t> colours);

// Writes the side file beside `stitchFile` from the template in `programFolder`. Returns false
// (and writes nothing) when the template is missing or invalid or the file cannot be written:
// the export goes on without a side file.
bool WriteSideFile(const std::filesystem::path& stitchFile, const std::filesystem::path& programFolder,
                   std::span<const int32_t> colours);

// The colours an import hands out, one per colour block: the side file's entries in order, and
// the default sequence where there is no side file or it holds too few entries.
class TImportColours {
public:
    TImportColours() = default;
    explicit TImportColours(std::vector<uint8_t> sideFile) : side_(std::move(sideFile)), hasSide_(true) {}

    int32_t Next();
    bool HasSideFile() const { return hasSide_; }
    int64_t Handed() const { return handed_; }

private:
    std::vector<uint8_t> side_;
    bool hasSide_ = false;
    int64_t handed_ = 0;
};

// The colours for importing `stitchFile`: its side file when one can be read, else the default
// sequence.
TImportColours OpenImportColours(const std::filesystem::path& stitchFile);

} // namespace nl
