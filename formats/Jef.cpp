#include "formats/Jef.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "core/Colour.h"
#include "core/Errors.h"
#include "formats/Exp.h"
#include "formats/ImportBuilder.h"
#include "formats/Palettes.h"

namespace nl {

namespace {

constexpr size_t kDateAt = 8, kDateSize = 14;
constexpr size_t kCountAt = 24, kWordsAt = 28, kHoopAt = 32, kExtentsAt = 36;

struct THoop {
    int32_t Code;
    int64_t HalfWidth, HalfHeight;
};
// From the smallest: a design gets the smallest hoop it fits in.
constexpr THoop kHoops[] = {{JEF_HOOP_50, 250, 250},
                            {JEF_HOOP_110, 550, 550},
                            {JEF_HOOP_126X110, 630, 550},
                            {JEF_HOOP_140X200, 700, 1000},
                            {JEF_HOOP_200, 1000, 1000}};
// The hoops whose edge distances the header gives, at 52, 68, 84 and 100 (the last is the
// custom hoop, given as 140 x 200 as the real files we have seen do).
constexpr THoop kMeasured[] = {kHoops[1], kHoops[0], kHoops[3], kHoops[3]};

// Distances from the design's extents (left, top, right, bottom, from the start point) to the
// edges of a hoop centred on the start point; all -1 when the design does not fit.
std::array<int64_t, 4> EdgeDistances(const std::array<int64_t, 4>& extents, const THoop& hoop) {
    std::array<int64_t, 4> d = {hoop.HalfWidth - extents[0], hoop.HalfHeight - extents[1],
                                hoop.HalfWidth - extents[2], hoop.HalfHeight - extents[3]};
    if (*std::min_element(d.begin(), d.end()) < 0) d.fill(-1);
    return d;
}

void Put32(std::vector<uint8_t>& f, size_t at, int64_t v) {
    for (size_t k = 0; k < 4; ++k)
        f[at + k] = static_cast<uint8_t>(v >> (8 * k));
}
int32_t Get32(std::span<const uint8_t> b, size_t at) {
    return static_cast<int32_t>(static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
                                static_cast<uint32_t>(b[at + 2]) << 16 |
                                static_cast<uint32_t>(b[at + 3]) << 24);
}

constexpr TEscapeTable MakeJefEscapes() {
    TEscapeTable t{};
    t[TWO_BYTE_COLOUR] = TEscape::Colour;
    t[JEF_JUMP] = TEscape::Jump;
    t[JEF_END] = TEscape::End;
    return t;
}
constexpr TEscapeTable kJefEscapes = MakeJefEscapes();

} // namespace

std::string JefDateStamp(std::time_t when) {
    std::tm t{};
    localtime_r(&when, &t);
    char b[32];
    std::strftime(b, sizeof b, "%Y%m%d%H%M%S", &t);
    std::string s(b);
    s.resize(kDateSize, '0');
    return s;
}

std::vector<uint8_t> WriteJef(const TExportPlan& plan, TExportState& state) {
    return WriteJefStamped(plan, state, JefDateStamp(std::time(nullptr)));
}

std::vector<uint8_t> WriteJefStamped(const TExportPlan& plan, TExportState& state, const std::string& stamp) {
    if (plan.Empty()) throw TError("the design has no stitches to write");
    std::vector<uint8_t> records;
    const TTwoByteExtremes e = WriteTwoByteRecords(plan, state, JEF_JUMP, "Janome", records);
    records.push_back(TWO_BYTE_ESCAPE);
    records.push_back(JEF_END);

    const std::vector<int32_t>& colours = state.Colours;
    const int64_t n = static_cast<int64_t>(colours.size());
    const int64_t offset = static_cast<int64_t>(JEF_HEADER_SIZE) + 8 * n;
    const int64_t words = static_cast<int64_t>(records.size() / 2);
    if (offset > INT32_MAX || words > INT32_MAX)
        throw TError("the design has too many stitches or colours for a Janome file");

    std::vector<uint8_t> f(static_cast<size_t>(offset) + records.size(), 0);
    Put32(f, 0, offset);
    Put32(f, 4, JEF_FLAG);
    std::memcpy(f.data() + kDateAt, stamp.data(), std::min(stamp.size(), kDateSize));
    Put32(f, kCountAt, n);
    Put32(f, kWordsAt, words);
    const std::array<int64_t, 4> extents = {plan.CentreX - e.MinX, plan.CentreY - e.MinY,
                                            e.MaxX - plan.CentreX, e.MaxY - plan.CentreY};
    int32_t hoop = JEF_HOOP_200; // larger than every hoop: the largest the header names
    for (const THoop& h : kHoops)
        if (EdgeDistances(extents, h)[0] >= 0) {
            hoop = h.Code;
            break;
        }
    Put32(f, kHoopAt, hoop);
    for (size_t k = 0; k < 4; ++k)
        Put32(f, kExtentsAt + 4 * k, extents[k]);
    for (size_t m = 0; m < 4; ++m) {
        const auto d = EdgeDistances(extents, kMeasured[m]);
        for (size_t k = 0; k < 4; ++k)
            Put32(f, kExtentsAt + 16 * (m + 1) + 4 * k, d[k]);
    }
    for (size_t k = 0; k < colours.size(); ++k) {
        Put32(f, JEF_HEADER_SIZE + 4 * k, NearestJanomeIndex(colours[k] & 0xFFFFFF));
        Put32(f, JEF_HEADER_SIZE + 4 * (colours.size() + k), JEF_TABLE_WORD);
    }
    std::memcpy(f.data() + offset, records.data(), records.size());
    return f;
}

void ReadJef(std::span<const uint8_t> bytes, TImportBuilder& out) {
    const int64_t size = static_cast<int64_t>(bytes.size());
    if (bytes.size() < JEF_HEADER_SIZE)
        throw TReadError("too short to be a Janome JEF file (" + std::to_string(size) +
                         " bytes; the header alone takes 116)");
    const int64_t offset = Get32(bytes, 0);
    if (offset < static_cast<int64_t>(JEF_HEADER_SIZE) || offset > size)
        throw TReadError("its stitch data offset " + std::to_string(offset) +
                         " does not lie between the 116-byte header and the end of the file (" +
                         std::to_string(size) + " bytes)");
    // The table has one index per colour block; files whose stitch data starts right after one
    // index (offset 124) state more blocks than that, so only the indices before the stitch data
    // are read.
    const int64_t entries = std::clamp<int64_t>(Get32(bytes, kCountAt), 0, (offset - 116) / 4);
    std::vector<int32_t> colours;
    colours.reserve(static_cast<size_t>(entries));
    for (int64_t k = 0; k < entries; ++k) {
        const int32_t index = Get32(bytes, JEF_HEADER_SIZE + 4 * static_cast<size_t>(k));
        colours.push_back(index >= 1 && index <= JANOME_PALETTE_SIZE ? JanomeColour(index) : NO_COLOUR);
    }
    out.UseFileColours(std::move(colours));
    const TRecordsStop stop =
        ReadTwoByteRecords(bytes.subspan(static_cast<size_t>(offset)), kJefEscapes, out);
    if (stop.How == TRecordsEnd::EndOfData)
        throw TReadError("its stitch data ends without an end record (80 10)");
}

} // namespace nl
