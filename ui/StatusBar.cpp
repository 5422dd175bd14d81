#include "ui/StatusBar.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <set>

#include "core/Units.h"
#include "formats/Formats.h"
#include "worksheet/Sew.h"

namespace nl {

void TExtent::Add(double x, double y) {
    Left = std::min(Left, x);
    Right = std::max(Right, x);
    Top = std::min(Top, y);
    Bottom = std::max(Bottom, y);
}

double TExtent::WidthMm() const {
    return Empty() ? 0.0 : (Right - Left) / kUnitsPerMm;
}

double TExtent::HeightMm() const {
    return Empty() ? 0.0 : (Bottom - Top) / kUnitsPerMm;
}

namespace {
void AddObject(TDesignSummary& s, const TSLStitch& o, std::set<int32_t>& colours) {
    const TSLStitch* st = o.Stitches();
    if (!st || st->Empty()) {
        // An outline without stitches still has a size on the worksheet.
        const TKvRect b = o.GetPathBounds();
        if (!b.empty) {
            s.Extent.Add(b.Left, b.Top);
            s.Extent.Add(b.Right, b.Bottom);
        }
        return;
    }
    s.Stitches += st->Count();
    const int32_t own = o.GetColor();
    if (own != NO_COLOUR) colours.insert(own);
    // Locals keep the extremes in registers over hundreds of thousands of points.
    double x0 = s.Extent.Left, x1 = s.Extent.Right, y0 = s.Extent.Top, y1 = s.Extent.Bottom;
    for (const TSP& p : *st) {
        x0 = std::min<double>(x0, p.X), x1 = std::max<double>(x1, p.X);
        y0 = std::min<double>(y0, p.Y), y1 = std::max<double>(y1, p.Y);
        if (p.IsColourPoint() && p.ColourOrLink != NO_COLOUR) colours.insert(p.ColourOrLink);
    }
    s.Extent = {x0, y0, x1, y1};
}

std::string Mm(double v, int decimals) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v == 0.0 ? 0.0 : v); // no "-0.00"
    return buf;
}

std::string Plural(int64_t n, const char* one, const char* many) {
    return CountText(n) + " " + (n == 1 ? one : many);
}
} // namespace

TDesignSummary Summarise(const TSew& sew, uint32_t selectionFlag) {
    TDesignSummary s;
    if (selectionFlag)
        for (int32_t i = 0; i < sew.Count() && !s.Selection; ++i)
            s.Selection = (sew[i]->Flags & selectionFlag) != 0;
    std::set<int32_t> colours;
    for (int32_t i = 0; i < sew.Count(); ++i) {
        const TSLStitch* o = sew[i];
        if (s.Selection && !(o->Flags & selectionFlag)) continue;
        AddObject(s, *o, colours);
    }
    s.Colours = static_cast<int32_t>(colours.size());
    return s;
}

std::string CountText(int64_t n) {
    std::string digits = std::to_string(n < 0 ? -n : n), out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return n < 0 ? "-" + out : out;
}

std::string PointerText(double x, double y) {
    // Rounded to the nearest unit first, so that -0.01 mm never shows as "-0.00".
    const double mx = std::round(x) / kUnitsPerMm, my = std::round(y) / kUnitsPerMm;
    return "X " + Mm(mx, 2) + " mm   Y " + Mm(my, 2) + " mm";
}

std::string SizeText(const TDesignSummary& s) {
    const char* what = s.Selection ? "Selection" : "Design";
    if (s.Extent.Empty()) return std::string(what) + " empty";
    return std::string(what) + " " + Mm(s.Extent.WidthMm(), 1) + " x " + Mm(s.Extent.HeightMm(), 1) + " mm";
}

std::string CountsText(const TDesignSummary& s) {
    return Plural(s.Stitches, "stitch", "stitches") + "   " + Plural(s.Colours, "colour", "colours");
}

std::string ExportStatusText(const std::string& fileName, const TFormat& format, int64_t stitches,
                             int32_t colourBlocks, double widthMm, double heightMm) {
    std::string ext = format.Extension;
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    // "Tajima DST", but "Pfaff VIP" once.
    std::string kind = format.Description;
    if (!kind.ends_with(ext)) kind += " " + ext;
    const std::string name = std::filesystem::path(fileName).filename().string();
    return "Exported " + name + " (" + kind + "): " + Plural(stitches, "stitch", "stitches") + ", " +
           Plural(colourBlocks, "colour block", "colour blocks") + ", " + Mm(widthMm, 1) + " x " +
           Mm(heightMm, 1) + " mm";
}

} // namespace nl
