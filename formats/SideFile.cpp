#include "formats/SideFile.h"

#include <cstring>

#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/Palettes.h"

namespace nl {

namespace {
// A side file never needs to be larger than this (65536 colour blocks); anything larger is not one.
constexpr uint64_t kMaxSideFile = 256 * 1024;

void PutColour(std::vector<uint8_t>& out, size_t at, int32_t colour) {
    if (out.size() < at + 4) out.resize(at + 4, 0);
    uint32_t v = static_cast<uint32_t>(colour) & 0x00FFFFFFu;
    std::memcpy(out.data() + at, &v, 4);
}
} // namespace

std::filesystem::path SideFileName(const std::filesystem::path& stitchFile) {
    std::filesystem::path p = stitchFile;
    return p.replace_extension(".edr");
}

std::vector<uint8_t> BuildSideFile(std::span<const uint8_t> templateBytes, std::span<const int32_t> colours) {
    if (templateBytes.size() < SIDE_TEMPLATE_MIN_SIZE)
        throw TError("the colour side file template is too short");
    std::vector<uint8_t> out(templateBytes.begin(), templateBytes.end());
    for (size_t k = 0; k < colours.size(); ++k)
        PutColour(out, 4 * k, colours[k]);
    // Entry 254 marks a side file written by an export; a design with that many colour blocks
    // keeps its own colour there instead of losing it to the mark.
    if (colours.size() <= SIDE_MARK_OFFSET / 4) PutColour(out, SIDE_MARK_OFFSET, SIDE_MARK_COLOUR);
    return out;
}

bool WriteSideFile(const std::filesystem::path& stitchFile, const std::filesystem::path& programFolder,
                   std::span<const int32_t> colours) {
    try {
        auto tmpl = ReadWholeFile(programFolder / SIDE_TEMPLATE_NAME, kMaxSideFile);
        WriteFileAtomic(SideFileName(stitchFile), BuildSideFile(tmpl, colours));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

int32_t TImportColours::Next() {
    int64_t k = handed_++;
    size_t at = static_cast<size_t>(k) * 4;
    if (hasSide_ && k < static_cast<int64_t>(side_.size() / 4)) {
        uint32_t v;
        std::memcpy(&v, side_.data() + at, 4);
        return static_cast<int32_t>(v & 0x00FFFFFFu);
    }
    return DefaultImportColour(k);
}

TImportColours OpenImportColours(const std::filesystem::path& stitchFile) {
    std::error_code ec;
    auto side = SideFileName(stitchFile);
    if (!std::filesystem::is_regular_file(side, ec)) return TImportColours();
    try {
        return TImportColours(ReadWholeFile(side, kMaxSideFile));
    } catch (const std::exception&) {
        return TImportColours();
    }
}

} // namespace nl
