// Melco EXP: no header and no end record, only two-byte records: a stitch is its displacement as
// two signed bytes, and 0x80 starts a four-byte command. The same records, behind a header, make
// up a Janome JEF file, so their writer and reader here serve both formats.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "formats/ExportWalk.h"

namespace nl {

class TImportBuilder;

constexpr uint8_t TWO_BYTE_ESCAPE = 0x80;
constexpr uint8_t TWO_BYTE_COLOUR = 0x01;
// EXP jumps are written 80 04: the older 80 02 is sewn as a stitch by common readers.
constexpr uint8_t EXP_JUMP = 0x04, EXP_OLD_JUMP = 0x02, EXP_TRIM = 0x80;
constexpr int32_t TWO_BYTE_MAX_STEP = 127;
// Farthest a needle point may lie from the design centre in a file we write (10 m): far beyond
// any hoop, and it keeps a damaged design from turning into millions of jump records.
constexpr int64_t TWO_BYTE_MAX_DISTANCE = 100000;

// The needle positions a design's records reach, machine units, y downward; the design centre
// (where the records start) included.
struct TTwoByteExtremes {
    int64_t MinX = 0, MaxX = 0, MinY = 0, MaxY = 0;
};

// Appends the records of every object of the plan to `out`: stitches, with moves longer than a
// record holds split into equal steps (jumps, then the stitch); at each colour change a tie
// stitch, the colour change, the connecting move as jumps and the first stitch of the new
// colour; a tie stitch at the end of each object. Jumps use the command `jumpCode`. The colours
// of the colour blocks go to state.Colours. Throws TError (naming `formatName`) for a design too
// large to write.
TTwoByteExtremes WriteTwoByteRecords(const TExportPlan& plan, TExportState& state, uint8_t jumpCode,
                                     const char* formatName, std::vector<uint8_t>& out);

// What a command byte after 0x80 means to a format.
enum class TEscape : uint8_t {
    Unknown, // reading stops there
    Jump,    // a move without a needle point
    Colour,  // a colour change, then a move
    Trim,    // the thread is cut; no move
    End,     // the end record (two bytes)
};
using TEscapeTable = std::array<TEscape, 256>;

// How the records ended.
enum class TRecordsEnd : uint8_t { EndRecord, EndOfData, UnknownCommand };
struct TRecordsStop {
    TRecordsEnd How;
    size_t At; // offset of the record where reading stopped (the data's size at its end)
};

// Hands the records to the builder until an end record, an unknown command or the end of the
// data, where a record cut short (an odd trailing byte) is left unread. A colour change starts
// its block at the next needle point, wherever the jumps after it take the needle.
TRecordsStop ReadTwoByteRecords(std::span<const uint8_t> records, const TEscapeTable& escapes,
                                TImportBuilder& out);

// Writes the design of the plan as an EXP file; the colours of its colour blocks end in
// state.Colours. Throws TError when the design cannot be written in this format.
std::vector<uint8_t> WriteExp(const TExportPlan& plan, TExportState& state);

// Reads an EXP file into the builder: 80 02 and 80 04 are jumps, 80 01 a colour change, 80 80 a
// trim; an unknown command ends the design. EXP has no magic number and no end record, so this
// never refuses a file.
void ReadExp(std::span<const uint8_t> bytes, TImportBuilder& out);

} // namespace nl
