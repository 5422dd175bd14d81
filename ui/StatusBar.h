// The measurements the status bar shows: where the pointer is, how big the selection (or, with
// nothing selected, the whole design) is, and its stitch and colour counts; and the line that
// says what an export wrote. All in millimetres, as texts ready to show.
#pragma once
#include <cstdint>
#include <limits>
#include <string>

namespace nl {

class TSew;
struct TFormat;

// A rectangle of worksheet units that may be empty.
struct TExtent {
    double Left = std::numeric_limits<double>::infinity();
    double Top = std::numeric_limits<double>::infinity();
    double Right = -std::numeric_limits<double>::infinity();
    double Bottom = -std::numeric_limits<double>::infinity();

    bool Empty() const { return !(Left <= Right && Top <= Bottom); }
    void Add(double x, double y);
    double WidthMm() const;
    double HeightMm() const;
};

struct TDesignSummary {
    bool Selection = false; // of the selected objects; false: of the whole worksheet
    TExtent Extent;         // the needle points (the path of an object without stitches)
    int64_t Stitches = 0;   // needle points
    int32_t Colours = 0;    // distinct thread colours
};

// The objects carrying `selectionFlag` (the current mode's selection bit), or every object when
// none does or the flag is 0.
TDesignSummary Summarise(const TSew& sew, uint32_t selectionFlag);

// "12,345"
std::string CountText(int64_t n);
// "X 12.35 mm   Y -4.10 mm" for a worksheet point in units.
std::string PointerText(double x, double y);
// "Design 45.2 x 30.1 mm", "Selection 12.0 x 8.5 mm", "Design empty".
std::string SizeText(const TDesignSummary& s);
// "12,345 stitches   3 colours" (singular for one).
std::string CountsText(const TDesignSummary& s);

// What an export wrote, for the status line:
// "Exported star.dst (Tajima DST): 1,234 stitches, 3 colour blocks, 45.2 x 30.1 mm".
std::string ExportStatusText(const std::string& fileName, const TFormat& format, int64_t stitches,
                             int32_t colourBlocks, double widthMm, double heightMm);

} // namespace nl
