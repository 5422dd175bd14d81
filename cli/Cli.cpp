#include "cli/Cli.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <optional>
#include <ostream>

#include "app/Folders.h"
#include "cli/Render.h"
#include "core/Colour.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/Numeric.h"
#include "core/Units.h"
#include "formats/Export.h"
#include "formats/ExportWalk.h"
#include "formats/Import.h"
#include "formats/PatternFile.h"
#include "formats/Worksheet.h"
#include "regions/SLRegion.h"
#include "regions/Support.h"
#include "sewing/SimulationList.h"
#include "stitching/SLCurve.h"
#include "threads/CatalogFolder.h"
#include "threads/ThreadMatch.h"
#include "worksheet/HoleSeams.h"
#include "worksheet/Sew.h"

namespace nl::cli {

namespace {

const char* const kUsage = R"(Usage: nordelune-cli [--help] [--version] COMMAND [ARGS]

Nordelune is an embroidery design and digitizing program; nordelune-cli is its batch face.

Commands:
  convert IN OUT                 read IN and write it as OUT; the formats follow the extensions,
                                 and colour side files (.edr) are read beside IN and written
                                 beside OUT. Either side may be a worksheet (.Nl1): a stitch file
                                 becomes a new worksheet, a worksheet is exported as `export`
                                 does, and a worksheet written as a worksheet keeps everything
  export WORKSHEET.Nl1 OUT [--group N]
                                 regenerate the worksheet's objects and write them to OUT exactly
                                 as the program's export does: layout group N, or by default
                                 every stitched object (the groups in ascending order, then the
                                 ungrouped objects)
  info FILE [--json] [--threads DIR]
                                 stitch count, colour blocks with their colours and the nearest
                                 thread of the enabled catalogs, extents in mm; for a worksheet:
                                 its version, its objects by kind, its support objects one by
                                 one (kind, bounds in mm, a picture's size in pixels, a memo's
                                 first line, a pattern creator's tile and drawing), groups and
                                 the stitch count an export would write; for a stitch pattern
                                 (.KVP): its area, tile size, rotation and drawing objects
  dump FILE                      one line per point: X Y in 0.1 mm (Y downward), and for a point
                                 that starts a colour block "C RRGGBB" (a worksheet: what an
                                 export of everything it stitches writes)
  render FILE OUT.png [--width N] [--upto N [--points] [--jumps dashed|thin|hidden]]
                                 a picture of the design (a worksheet: everything it stitches; a
                                 stitch pattern: its drawing),
                                 N pixels wide (default 800); with --upto, the sewing simulator's
                                 picture of the design sewn up to stitch N (1 to the stitch
                                 count; beyond it, the nearest end), with the needle marked,
                                 --points marking every needle point and --jumps saying how moves
                                 without sewing are drawn (default dashed)
  threads [CATALOG] [--match RRGGBB] [--count N] [--sort number|name|colour] [--threads DIR]
                                 without arguments: the thread catalogs; with CATALOG (its file
                                 name, e.g. Madeira-Rayon): its threads; with --match: the N
                                 threads nearest to the colour (default 5), in CATALOG or across
                                 the enabled catalogs, with their distance (sum of the red, green
                                 and blue differences). The catalogs are the ".SC1" files of the
                                 program's Threads folder (the user's own copy for an installed
                                 program), or of DIR

Options:
  --help       show this help and exit
  --version    show the version and exit

Exit codes: 0 success, 1 usage error, 2 unreadable or invalid input, 3 cannot write the output.
)";

// A failure the command reports with its exit code; the text names the file.
struct TFailure {
    int Code;
    std::string Text;
};

std::filesystem::path ProgramFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path(".") : exe.parent_path();
}

// Reads a stitch file the way the desktop's import does (the format by the extension).
std::unique_ptr<TSLStitch> Load(const std::string& file) {
    try {
        return ReadStitchFile(file);
    } catch (const std::bad_alloc&) {
        throw TFailure{EXIT_BAD_INPUT, file + ": not enough memory to read the file"};
    } catch (const TError& e) {
        throw TFailure{EXIT_BAD_INPUT, e.what()};
    }
}

// Reads a worksheet the way the desktop's Open does (stitches generated for display).
std::unique_ptr<TSew> LoadSheet(const std::string& file, TWorksheetInfo* info = nullptr) {
    auto sew = std::make_unique<TSew>();
    try {
        TWorksheetInfo i = LoadWorksheet(file, *sew);
        if (info) *info = i;
    } catch (const std::bad_alloc&) {
        throw TFailure{EXIT_BAD_INPUT, file + ": not enough memory to read the file"};
    } catch (const TError& e) {
        throw TFailure{EXIT_BAD_INPUT, e.what()};
    }
    return sew;
}

void SaveSheet(TSew& sew, const std::string& file) {
    try {
        SaveWorksheet(sew, file);
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, e.what()};
    }
}

// The objects an export of the worksheet writes: group `group`, or every stitched object.
std::vector<TSLStitch*> ExportOrder(TSew& sew, std::optional<int32_t> group, const std::string& file) {
    if (!group) return sew.BuildWorksheetOrder();
    if (*group <= 0 || !sew.Groups.Contains(*group))
        throw TFailure{EXIT_USAGE, file + ": the worksheet has no layout group " + std::to_string(*group)};
    return sew.BuildStitchOrder(*group);
}

// Exports as the desktop does: the objects regenerated for output, written, put back.
void ExportSheet(TSew& sew, std::optional<int32_t> group, const std::string& in, const std::string& out) {
    const TFormat* format = ExportFormatOfName(out);
    if (!format) throw TFailure{EXIT_USAGE, out + ": not a stitch file extension this program writes"};
    if (!format->Write) throw TFailure{EXIT_CANNOT_WRITE, out + ": this file format cannot be written yet"};
    std::vector<TSLStitch*> order = ExportOrder(sew, group, in);
    try {
        TStitchContext editing;
        BindHoleSeams(editing, sew);
        TOutputGuard guard(order, editing);
        WriteDesign(order, out, *format, FoldersOf(ProgramFolder()).Shipped);
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, e.what()};
    }
}

void WriteOut(const std::string& file, const std::vector<uint8_t>& bytes) {
    try {
        WriteFileAtomic(file, bytes);
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, e.what()};
    }
}

int Convert(const std::vector<std::string>& a, std::ostream&) {
    if (a.size() != 2) throw TFailure{EXIT_USAGE, "convert needs IN and OUT (see --help)"};
    const std::string& out = a[1];
    if (IsWorksheetName(a[0])) {
        std::unique_ptr<TSew> sew = LoadSheet(a[0]);
        if (IsWorksheetName(out))
            SaveSheet(*sew, out);
        else
            ExportSheet(*sew, std::nullopt, a[0], out);
        return EXIT_OK;
    }
    if (IsWorksheetName(out)) {
        // A stitch file becomes a new worksheet: one imported object in its own group.
        TSew sew;
        AddImport(sew, Load(a[0]));
        SaveSheet(sew, out);
        return EXIT_OK;
    }
    const TFormat* format = ExportFormatOfName(out);
    if (!format) throw TFailure{EXIT_USAGE, out + ": not a stitch file extension this program writes"};
    if (!format->Write) throw TFailure{EXIT_CANNOT_WRITE, out + ": this file format cannot be written yet"};
    // The file becomes one object in one group, exported as that group's design.
    TSew sew;
    const int32_t group = AddImport(sew, Load(a[0]))->GroupId;
    try {
        WriteDesign(sew.BuildStitchOrder(group), out, *format, FoldersOf(ProgramFolder()).Shipped);
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, e.what()};
    }
    return EXIT_OK;
}

int Export(const std::vector<std::string>& a, std::ostream&) {
    std::vector<std::string> files;
    std::optional<int32_t> group;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--group") {
            if (i + 1 >= a.size()) throw TFailure{EXIT_USAGE, "export: --group needs a number"};
            const std::string& v = a[++i];
            int32_t g = 0;
            auto r = std::from_chars(v.data(), v.data() + v.size(), g);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || g <= 0)
                throw TFailure{EXIT_USAGE, "export: --group must be a layout group number (1 or more)"};
            group = g;
        } else if (!a[i].empty() && a[i][0] == '-') {
            throw TFailure{EXIT_USAGE, "export: unknown option '" + a[i] + "'"};
        } else {
            files.push_back(a[i]);
        }
    }
    if (files.size() != 2) throw TFailure{EXIT_USAGE, "export needs WORKSHEET.Nl1 and OUT (see --help)"};
    if (!IsWorksheetName(files[0])) throw TFailure{EXIT_USAGE, files[0] + ": not a worksheet (.Nl1)"};
    std::unique_ptr<TSew> sew = LoadSheet(files[0]);
    ExportSheet(*sew, group, files[0], files[1]);
    return EXIT_OK;
}

// What an export of every stitched object hands to the writer, as one point list (each object's
// points in sewing order) for the picture and the totals.
std::unique_ptr<TSLStitch> ExportedPoints(TSew& sew, int64_t& total) {
    std::vector<TSLStitch*> order = sew.BuildWorksheetOrder();
    TStitchContext editing;
    BindHoleSeams(editing, sew);
    TOutputGuard guard(order, editing);
    // As the simulator sews it: a colour point only where the file changes the thread, so that
    // every other move is drawn sewn, as the file sews it.
    const TSimulationList sewn = TSimulationList::FromOrder(order);
    total = sewn.Count();
    auto all = std::make_unique<TSLStitch>();
    all->Raw() = sewn.AsPoints();
    return all;
}

std::string Hex(int32_t colour) {
    char b[8];
    std::snprintf(b, sizeof b, "%02X%02X%02X", ColourR(colour), ColourG(colour), ColourB(colour));
    return b;
}

std::string Mm(double units) {
    char b[32];
    std::snprintf(b, sizeof b, "%.1f", units / kUnitsPerMm + 0.0);
    return b;
}

std::string JsonString(const std::string& s) {
    std::string o = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            o += '\\';
            o += static_cast<char>(c);
        } else if (c < 0x20) {
            char b[8];
            std::snprintf(b, sizeof b, "\\u%04x", c);
            o += b;
        } else {
            o += static_cast<char>(c);
        }
    }
    return o + "\"";
}

// The catalogs a user has switched on ("Use"), in their list order; all of them when none is on,
// as the catalog viewer does.
std::vector<TCatData> EnabledCatalogs(std::vector<TCatData> all) {
    SortByListPosition(all);
    if (std::none_of(all.begin(), all.end(), [](const TCatData& c) { return c.Enabled; })) return all;
    std::erase_if(all, [](const TCatData& c) { return !c.Enabled; });
    return all;
}

std::filesystem::path ThreadsDir(const std::string& option) {
    return option.empty() ? CatalogFolder(ProgramFolder()) : std::filesystem::path(option);
}

std::string TakeValue(const std::vector<std::string>& a, size_t& i, const char* command) {
    if (i + 1 >= a.size()) throw TFailure{EXIT_USAGE, std::string(command) + ": " + a[i] + " needs a value"};
    return a[++i];
}

// The support objects one by one: kind, bounds in mm, and what each kind holds (a picture's size
// in pixels and file, a memo's first line, a creator's tile and drawing). JSON: the items of an
// array; text: one indented line each.
std::string SupportList(const TSupportBaseList& list, bool json) {
    std::string s;
    for (int32_t i = 1; i < list.Count(); ++i) {
        const TObjectBase& o = *list[i];
        const char* kind = o.Kind == SUPPORT_FRAME             ? "frame"
                           : o.Kind == SUPPORT_PICTURE         ? "picture"
                           : o.Kind == SUPPORT_PATTERN_CREATOR ? "pattern creator"
                           : o.Kind == SUPPORT_TEXT_LABEL      ? "text label"
                                                               : "font backdrop";
        const TKvRect& r = o.Rect;
        if (json) {
            s += std::string(i > 1 ? ", " : "") + "{\"kind\": \"" + kind +
                 "\", \"bounds_mm\": {\"left\": " + Mm(r.Left) + ", \"top\": " + Mm(r.Top) +
                 ", \"right\": " + Mm(r.Right + 1.0) + ", \"bottom\": " + Mm(r.Bottom + 1.0) +
                 ", \"width\": " + Mm(o.Width()) + ", \"height\": " + Mm(o.Height()) + "}";
        } else {
            s += "    " + std::to_string(i) + ": " + kind + " " + Mm(o.Width()) + " x " + Mm(o.Height()) +
                 " mm (x " + Mm(r.Left) + " to " + Mm(r.Right + 1.0) + ", y " + Mm(r.Top) + " to " +
                 Mm(r.Bottom + 1.0) + " mm)";
        }
        if (o.Kind == SUPPORT_PICTURE) {
            const auto& p = static_cast<const TObjectBitmap&>(o);
            const std::string name = std::filesystem::path(p.FileName).filename().string();
            if (json)
                s += ", \"picture_px\": {\"width\": " + std::to_string(p.PictureWidth()) +
                     ", \"height\": " + std::to_string(p.PictureHeight()) +
                     "}, \"file\": " + JsonString(name) + ", \"shown\": " + (p.NoImage ? "false" : "true");
            else
                s += ", picture " + std::to_string(p.PictureWidth()) + " x " +
                     std::to_string(p.PictureHeight()) + " pixels (" + name +
                     (p.NoImage ? ", not shown" : "") + ")";
        } else if (o.Kind == SUPPORT_TEXT_LABEL) {
            const auto& m = static_cast<const TObjectText&>(o);
            const std::string first = m.Lines.empty() ? std::string() : m.Lines.front();
            if (json)
                s += ", \"first_line\": " + JsonString(first) +
                     ", \"lines\": " + std::to_string(m.Lines.size()) +
                     ", \"font\": " + JsonString(m.FontName);
            else
                s += ", " + std::to_string(m.Lines.size()) + (m.Lines.size() == 1 ? " line" : " lines") +
                     ": \"" + first + "\"";
        } else if (o.Kind == SUPPORT_PATTERN_CREATOR) {
            const auto& c = static_cast<const TObjectPatternCreator&>(o);
            const std::string members = std::to_string(c.Members.size());
            if (json)
                s += ", \"tile_mm\": {\"width\": " + Mm(c.Pattern.PatternWidth) +
                     ", \"height\": " + Mm(c.Pattern.PatternHeight) +
                     "}, \"edit_points\": " + std::to_string(c.Pattern.EditPoints) +
                     ", \"members\": " + members;
            else
                s += ", tile " + Mm(c.Pattern.PatternWidth) + " x " + Mm(c.Pattern.PatternHeight) + " mm, " +
                     members + (c.Members.size() == 1 ? " object" : " objects") + " in its drawing";
        }
        s += json ? "}" : "\n";
    }
    return s;
}

bool IsPatternName(const std::string& file) {
    std::string ext = std::filesystem::path(file).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
    return ext == std::string(".") + PATTERN_FILE_EXTENSION;
}

std::unique_ptr<TObjectStitch> LoadPattern(const std::string& file) {
    try {
        return LoadPatternFile(file);
    } catch (const std::bad_alloc&) {
        throw TFailure{EXIT_BAD_INPUT, file + ": not enough memory to read the file"};
    } catch (const TNotAPatternFile&) {
        throw TFailure{EXIT_BAD_INPUT, file + ": not a stitch pattern file"};
    } catch (const TError& e) {
        throw TFailure{EXIT_BAD_INPUT, e.what()};
    }
}

// A pattern's drawing as one point list: each object's needle points (an outline's path) from a
// colour point of its own, so that the moves between them are not drawn.
std::unique_ptr<TSLStitch> PatternPoints(const TObjectStitch& pattern) {
    auto points = std::make_unique<TSLStitch>();
    for (const auto& item : pattern.Items) {
        bool first = true;
        auto add = [&](float x, float y) {
            points->Append(first ? TSP::Colour(0, x, y, 0x202020) : TSP::Plain(0, x, y));
            first = false;
        };
        if (item->Kind() == KIND_CURVE)
            static_cast<const TSLCurve&>(*item).FlattenVisit(0, -1,
                                                             [&](float x, float y, int32_t) { add(x, y); });
        else
            for (const TSP& p : *item)
                add(p.X, p.Y);
    }
    return points;
}

int PatternInfo(const std::string& file, bool json, std::ostream& out) {
    std::unique_ptr<TObjectStitch> p = LoadPattern(file);
    int outlines = 0, lines = 0;
    int64_t points = 0;
    for (const auto& item : p->Items) {
        (item->Kind() == KIND_CURVE ? outlines : lines)++;
        points += item->Count();
    }
    const double w = static_cast<double>(p->Bounds.Right) - p->Bounds.Left + 1;
    const double h = static_cast<double>(p->Bounds.Bottom) - p->Bounds.Top + 1;
    char degrees[32];
    std::snprintf(degrees, sizeof degrees, "%.1f", p->PatternAngle / DegToRad + 0.0);
    std::string s;
    if (json) {
        s = "{\"file\": " + JsonString(file) + ", \"pattern\": true, \"area_mm\": [" + Mm(w) + ", " + Mm(h) +
            "], \"tile_mm\": [" + Mm(p->PatternWidth) + ", " + Mm(p->PatternHeight) +
            "], \"rotation_degrees\": " + std::string(degrees) +
            ", \"edit_points\": " + std::to_string(p->EditPoints) +
            ", \"objects\": {\"outlines\": " + std::to_string(outlines) +
            ", \"direct_stitch\": " + std::to_string(lines) + "}, \"points\": " + std::to_string(points) +
            "}\n";
    } else {
        s = file + "\n  stitch pattern: area " + Mm(w) + " x " + Mm(h) + " mm, tile " + Mm(p->PatternWidth) +
            " x " + Mm(p->PatternHeight) + " mm, rotation " + std::string(degrees) +
            " degrees, edit points " + std::to_string(p->EditPoints) + "\n  objects: outlines " +
            std::to_string(outlines) + "; direct_stitch " + std::to_string(lines) + "; points " +
            std::to_string(points) + "\n";
    }
    out << s;
    return EXIT_OK;
}

int SheetInfo(const std::string& file, bool json, std::ostream& out) {
    TWorksheetInfo info;
    std::unique_ptr<TSew> sew = LoadSheet(file, &info);
    // Objects by kind, as a user names them.
    std::vector<std::pair<const char*, int>> kinds = {
        {"outlines", 0}, {"line_objects", 0},  {"satin_outlines", 0}, {"curved_columns", 0},
        {"regions", 0},  {"direct_stitch", 0}, {"text_characters", 0}};
    for (const auto& o : *sew) {
        int k = 5;
        if (o->Kind() == KIND_CURVE) {
            const auto& c = static_cast<const TSLCurve&>(*o);
            k = c.IsRailB() ? -1 : c.IsRail() ? 3 : c.Outlines ? 2 : c.IsLineObject() ? 1 : 0;
        } else if (o->Kind() == KIND_REGION) {
            k = 4;
        } else if (o->Kind() == KIND_FONT) {
            k = 6;
        }
        if (k >= 0) ++kinds[static_cast<size_t>(k)].second;
    }
    std::vector<std::pair<const char*, int>> support = {
        {"frames", 0}, {"pictures", 0}, {"pattern_creators", 0}, {"text_labels", 0}};
    // Item 0 is the rubber band of the selection rectangle, not an object of the worksheet.
    for (int32_t i = 1; i < sew->Support.Count(); ++i) {
        const TObjectBase* s = sew->Support[i];
        int k = s->Kind == SUPPORT_FRAME             ? 0
                : s->Kind == SUPPORT_PICTURE         ? 1
                : s->Kind == SUPPORT_PATTERN_CREATOR ? 2
                                                     : 3;
        ++support[static_cast<size_t>(k)].second;
    }
    std::vector<std::pair<int32_t, int>> groups;
    for (int32_t i = 0; i < sew->Groups.Count(); ++i) {
        int members = 0;
        for (const auto& o : *sew)
            if (o->GroupId == sew->Groups[i].Id) ++members;
        groups.emplace_back(sew->Groups[i].Id, members);
    }
    int64_t stitches = 0;
    ExportedPoints(*sew, stitches);
    std::string s;
    if (json) {
        s = "{\"file\": " + JsonString(file) +
            ", \"worksheet\": true, \"version\": " + std::to_string(info.Version) + ", \"objects\": {";
        for (size_t i = 0; i < kinds.size(); ++i)
            s +=
                std::string(i ? ", " : "") + "\"" + kinds[i].first + "\": " + std::to_string(kinds[i].second);
        s += "}, \"support_objects\": {";
        for (size_t i = 0; i < support.size(); ++i)
            s += std::string(i ? ", " : "") + "\"" + support[i].first +
                 "\": " + std::to_string(support[i].second);
        s += "}, \"support_list\": [" + SupportList(sew->Support, true) + "]";
        s += ", \"groups\": [";
        for (size_t i = 0; i < groups.size(); ++i)
            s += std::string(i ? ", " : "") + "{\"id\": " + std::to_string(groups[i].first) +
                 ", \"objects\": " + std::to_string(groups[i].second) + "}";
        s += "], \"export_stitches\": " + std::to_string(stitches) + "}\n";
    } else {
        s = file + "\n  worksheet version " + std::to_string(info.Version) + "\n  objects:";
        for (auto& [name, n] : kinds)
            s += " " + std::string(name) + " " + std::to_string(n) + ";";
        s += "\n  support objects:";
        for (auto& [name, n] : support)
            s += " " + std::string(name) + " " + std::to_string(n) + ";";
        s += "\n" + SupportList(sew->Support, false);
        s += "  layout groups: " + std::to_string(groups.size()) + "\n";
        for (auto& [id, n] : groups)
            s += "    group " + std::to_string(id) + ": " + std::to_string(n) + " objects\n";
        s += "  stitches an export writes: " + std::to_string(stitches) + "\n";
    }
    out << s;
    return EXIT_OK;
}

int Info(const std::vector<std::string>& a, std::ostream& out) {
    bool json = false;
    std::string threadsOption;
    std::vector<std::string> files;
    for (size_t i = 0; i < a.size(); ++i) {
        const std::string& s = a[i];
        if (s == "--json")
            json = true;
        else if (s == "--threads")
            threadsOption = TakeValue(a, i, "info");
        else if (!s.empty() && s[0] == '-')
            throw TFailure{EXIT_USAGE, "info: unknown option '" + s + "'"};
        else
            files.push_back(s);
    }
    if (files.size() != 1) throw TFailure{EXIT_USAGE, "info needs one FILE (see --help)"};
    if (IsWorksheetName(files[0])) return SheetInfo(files[0], json, out);
    if (IsPatternName(files[0])) return PatternInfo(files[0], json, out);
    auto o = Load(files[0]);
    struct TBlock {
        int32_t Colour;
        int64_t Stitches;
    };
    std::vector<TBlock> blocks;
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    bool first = true;
    for (const TSP& p : *o) {
        if (p.IsColourPoint() || blocks.empty()) blocks.push_back({p.GetColour(), 0});
        ++blocks.back().Stitches;
        if (first) minX = maxX = p.X, minY = maxY = p.Y, first = false;
        minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
        minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
    }
    // The thread a user would take for each block; without catalogs the blocks show their colours only.
    const auto catalogs = EnabledCatalogs(ReadCatalogs(ThreadsDir(threadsOption)));
    auto nearest = [&](int32_t colour) {
        auto m = NearestThreads(catalogs, colour, 1);
        return m.empty() ? std::optional<TThreadMatch>() : std::optional<TThreadMatch>(m[0]);
    };
    std::string s;
    if (json) {
        s = "{\"file\": " + JsonString(files[0]) + ", \"stitches\": " + std::to_string(o->Count()) +
            ", \"colour_blocks\": [";
        for (size_t i = 0; i < blocks.size(); ++i) {
            s += std::string(i ? ", " : "") + "{\"colour\": \"" + Hex(blocks[i].Colour) +
                 "\", \"stitches\": " + std::to_string(blocks[i].Stitches);
            if (auto m = nearest(blocks[i].Colour))
                s += ", \"thread\": {\"catalog\": " + JsonString(m->Catalog->Title()) +
                     ", \"number\": " + JsonString(m->Thread().CatalogNumber) +
                     ", \"name\": " + JsonString(m->Thread().Description) + ", \"colour\": \"" +
                     Hex(m->Thread().Colour) + "\", \"distance\": " + std::to_string(m->Distance) + "}";
            s += "}";
        }
        s += "], \"extents_mm\": {\"width\": " + Mm(maxX - minX) + ", \"height\": " + Mm(maxY - minY) +
             ", \"min_x\": " + Mm(minX) + ", \"max_x\": " + Mm(maxX) + ", \"min_y\": " + Mm(minY) +
             ", \"max_y\": " + Mm(maxY) + "}}\n";
    } else {
        s = files[0] + "\n  stitches: " + std::to_string(o->Count()) +
            "\n  colour blocks: " + std::to_string(blocks.size()) + "\n";
        for (size_t i = 0; i < blocks.size(); ++i) {
            s += "    " + std::to_string(i + 1) + ": " + Hex(blocks[i].Colour) + " (" +
                 std::to_string(blocks[i].Stitches) + " stitches)";
            if (auto m = nearest(blocks[i].Colour))
                s += "  thread: " + m->Catalog->Title() + " " + m->Thread().CatalogNumber + " " +
                     m->Thread().Description + " (" + Hex(m->Thread().Colour) + ", distance " +
                     std::to_string(m->Distance) + ")";
            s += "\n";
        }
        s += "  extents: " + Mm(maxX - minX) + " x " + Mm(maxY - minY) + " mm (x " + Mm(minX) + " to " +
             Mm(maxX) + ", y " + Mm(minY) + " to " + Mm(maxY) + " mm from the start, y downward)\n";
    }
    out << s;
    return EXIT_OK;
}

// Appends the decimal form of an integer.
void Put(std::string& s, int64_t v) {
    char b[24];
    auto r = std::to_chars(b, b + sizeof b, v);
    s.append(b, r.ptr);
}

int Dump(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() != 1) throw TFailure{EXIT_USAGE, "dump needs one FILE (see --help)"};
    std::unique_ptr<TSLStitch> o;
    if (IsWorksheetName(a[0])) {
        std::unique_ptr<TSew> sew = LoadSheet(a[0]);
        int64_t total = 0;
        o = ExportedPoints(*sew, total);
    } else {
        o = Load(a[0]);
    }
    std::string s;
    s.reserve(1 << 16);
    for (const TSP& p : *o) {
        // Imported points lie on whole machine units: twice a worksheet unit.
        Put(s, std::llround(p.X / 2.0));
        s += ' ';
        Put(s, std::llround(p.Y / 2.0));
        if (p.IsColourPoint()) s += " C " + Hex(p.ColourOrLink);
        s += '\n';
        if (s.size() > (1 << 16) - 64) {
            out.write(s.data(), static_cast<std::streamsize>(s.size()));
            s.clear();
        }
    }
    out.write(s.data(), static_cast<std::streamsize>(s.size()));
    return EXIT_OK;
}

// A whole number option value, or a usage error naming the option.
int64_t NumberOption(const std::string& option, const std::string& v, int64_t lo, int64_t hi) {
    int64_t n = 0;
    auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    if (r.ec != std::errc() || r.ptr != v.data() + v.size() || n < lo || n > hi)
        throw TFailure{EXIT_USAGE, "render: " + option + " must be a whole number from " +
                                       std::to_string(lo) + " to " + std::to_string(hi)};
    return n;
}

constexpr int64_t kHuge = std::numeric_limits<int64_t>::max() / 2;

int Render(const std::vector<std::string>& a, std::ostream&) {
    std::vector<std::string> files;
    int width = 800;
    bool sewn = false, points = false, jumpsGiven = false;
    int64_t upTo = 1;
    TJumpLook jumps = TJumpLook::Dashed;
    for (size_t i = 0; i < a.size(); ++i) {
        auto value = [&]() -> const std::string& {
            if (i + 1 >= a.size()) throw TFailure{EXIT_USAGE, "render: " + a[i] + " needs a value"};
            return a[++i];
        };
        if (a[i] == "--width") {
            width = static_cast<int>(NumberOption("--width", value(), MIN_RENDER_WIDTH, MAX_RENDER_WIDTH));
        } else if (a[i] == "--upto") {
            // Any stitch number: the design's ends stand for the numbers beyond them.
            upTo = NumberOption("--upto", value(), -kHuge, kHuge);
            sewn = true;
        } else if (a[i] == "--points") {
            points = true;
        } else if (a[i] == "--jumps") {
            const std::string& v = value();
            jumpsGiven = true;
            if (v == "dashed")
                jumps = TJumpLook::Dashed;
            else if (v == "thin")
                jumps = TJumpLook::Thin;
            else if (v == "hidden")
                jumps = TJumpLook::Hidden;
            else
                throw TFailure{EXIT_USAGE, "render: --jumps must be dashed, thin or hidden"};
        } else if (!a[i].empty() && a[i][0] == '-') {
            throw TFailure{EXIT_USAGE, "render: unknown option '" + a[i] + "'"};
        } else {
            files.push_back(a[i]);
        }
    }
    if (files.size() != 2) throw TFailure{EXIT_USAGE, "render needs FILE and OUT.png (see --help)"};
    if ((points || jumpsGiven) && !sewn)
        throw TFailure{EXIT_USAGE,
                       "render: --points and --jumps belong to the simulator's picture (--upto N)"};
    std::unique_ptr<TSLStitch> o;
    if (IsWorksheetName(files[0])) {
        std::unique_ptr<TSew> sew = LoadSheet(files[0]);
        int64_t total = 0;
        o = ExportedPoints(*sew, total);
        if (o->Empty()) throw TFailure{EXIT_BAD_INPUT, files[0] + ": the worksheet stitches nothing"};
    } else if (IsPatternName(files[0])) {
        o = PatternPoints(*LoadPattern(files[0]));
        if (o->Empty()) throw TFailure{EXIT_BAD_INPUT, files[0] + ": the pattern has no drawing"};
    } else {
        o = Load(files[0]);
    }
    std::vector<uint8_t> png;
    try {
        if (sewn) {
            TSewnOptions options;
            options.Width = width;
            options.UpTo = upTo;
            options.Points = points;
            options.Jumps = jumps;
            png = EncodePng(RenderSewn(*o, options));
        } else {
            png = EncodePng(RenderStitches(*o, width));
        }
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, files[1] + ": " + e.what()};
    }
    WriteOut(files[1], png);
    return EXIT_OK;
}

// Pads a text to a width (wider texts stay whole).
std::string Pad(const std::string& s, size_t width) {
    return s.size() >= width ? s : s + std::string(width - s.size(), ' ');
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

int Threads(const std::vector<std::string>& a, std::ostream& out) {
    std::string folderOption, matchText, sortText = "number";
    size_t count = 5;
    std::vector<std::string> names;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--threads") {
            folderOption = TakeValue(a, i, "threads");
        } else if (a[i] == "--match") {
            matchText = TakeValue(a, i, "threads");
        } else if (a[i] == "--sort") {
            sortText = TakeValue(a, i, "threads");
        } else if (a[i] == "--count") {
            const std::string v = TakeValue(a, i, "threads");
            int n = 0;
            auto r = std::from_chars(v.data(), v.data() + v.size(), n);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || n < 1 || n > 100000)
                throw TFailure{EXIT_USAGE, "threads: --count must be a whole number from 1 to 100000"};
            count = static_cast<size_t>(n);
        } else if (!a[i].empty() && a[i][0] == '-') {
            throw TFailure{EXIT_USAGE, "threads: unknown option '" + a[i] + "'"};
        } else {
            names.push_back(a[i]);
        }
    }
    if (names.size() > 1) throw TFailure{EXIT_USAGE, "threads takes at most one CATALOG (see --help)"};
    TThreadSort sort = TThreadSort::Number;
    if (sortText == "name")
        sort = TThreadSort::Name;
    else if (sortText == "colour" || sortText == "color")
        sort = TThreadSort::Colour;
    else if (sortText != "number")
        throw TFailure{EXIT_USAGE, "threads: --sort must be number, name or colour"};
    int32_t colour = NO_COLOUR;
    if (!matchText.empty()) {
        std::string hex = matchText[0] == '#' ? matchText.substr(1) : matchText;
        unsigned v = 0;
        auto r = std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
        if (hex.size() != 6 || r.ec != std::errc() || r.ptr != hex.data() + hex.size())
            throw TFailure{EXIT_USAGE, "threads: --match needs a colour as RRGGBB, e.g. FF8000"};
        colour = MakeColour(static_cast<int>(v >> 16 & 0xFF), static_cast<int>(v >> 8 & 0xFF),
                            static_cast<int>(v & 0xFF));
    }

    const std::filesystem::path folder = ThreadsDir(folderOption);
    std::vector<std::string> problems;
    std::vector<TCatData> all = ReadCatalogs(folder, &problems);
    if (all.empty()) {
        std::string why = problems.empty() ? "" : " (" + problems[0] + ")";
        throw TFailure{EXIT_BAD_INPUT, folder.string() + ": no thread catalog files" + why};
    }
    SortByListPosition(all);

    std::vector<TCatData> chosen;
    if (!names.empty()) {
        const std::string& want = names[0];
        for (const TCatData& c : all)
            if (SameText(c.Path.stem().string(), want) || SameText(c.Path.filename().string(), want) ||
                SameText(c.Manufacturer + "-" + c.ThreadType, want) || SameText(c.Title(), want))
                chosen = {c};
        if (chosen.empty())
            throw TFailure{EXIT_BAD_INPUT, folder.string() + ": no thread catalog named '" + want +
                                               "' (nordelune-cli threads lists them)"};
    }

    std::string s;
    if (colour != NO_COLOUR) {
        if (chosen.empty()) chosen = EnabledCatalogs(all);
        auto matches = NearestThreads(chosen, colour, count);
        size_t wc = 7, wn = 6;
        for (const TThreadMatch& m : matches) {
            wc = std::max(wc, m.Catalog->Title().size());
            wn = std::max(wn, m.Thread().CatalogNumber.size());
        }
        s += Pad("catalog", wc) + "  " + Pad("number", wn) + "  colour  distance  name\n";
        for (const TThreadMatch& m : matches)
            s += Pad(m.Catalog->Title(), wc) + "  " + Pad(m.Thread().CatalogNumber, wn) + "  " +
                 Hex(m.Thread().Colour) + "  " + Pad(std::to_string(m.Distance), 8) + "  " +
                 m.Thread().Description + "\n";
    } else if (!chosen.empty()) {
        const TCatData& c = chosen[0];
        size_t wn = 6;
        for (const TCD& e : c.Entries)
            wn = std::max(wn, e.CatalogNumber.size());
        s += c.Title() + " (" + std::to_string(c.Entries.size()) + " threads)\n";
        s += Pad("number", wn) + "  colour  name\n";
        for (size_t i = 0; i < c.Entries.size(); ++i) {
            const TCD& e = EntryAt(c, sort, i);
            s += Pad(e.CatalogNumber, wn) + "  " + Hex(e.Colour) + "  " + e.Description + "\n";
        }
    } else {
        size_t wf = 7, wt = 7;
        for (const TCatData& c : all) {
            wf = std::max(wf, c.Path.stem().string().size());
            wt = std::max(wt, c.Title().size());
        }
        s += Pad("catalog", wf) + "  " + Pad("name", wt) + "  threads  use\n";
        for (const TCatData& c : all)
            s += Pad(c.Path.stem().string(), wf) + "  " + Pad(c.Title(), wt) + "  " +
                 Pad(std::to_string(c.Entries.size()), 7) + "  " + (c.Enabled ? "yes" : "no") + "\n";
    }
    out << s;
    return EXIT_OK;
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return EXIT_USAGE;
    }
    const std::string& cmd = args[0];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        out << kUsage;
        return EXIT_OK;
    }
    if (cmd == "--version" || cmd == "-V") {
        out << "nordelune-cli " << NL_VERSION << "\n";
        return EXIT_OK;
    }
    using TCommand = int (*)(const std::vector<std::string>&, std::ostream&);
    static const std::pair<const char*, TCommand> commands[] = {{"convert", &Convert}, {"export", &Export},
                                                                {"info", &Info},       {"dump", &Dump},
                                                                {"render", &Render},   {"threads", &Threads}};
    for (auto& [name, run] : commands) {
        if (cmd != name) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        try {
            return run(rest, out);
        } catch (const TFailure& f) {
            err << "nordelune-cli: " << f.Text << "\n";
            return f.Code;
        } catch (const std::bad_alloc&) {
            err << "nordelune-cli: not enough memory\n";
            return EXIT_BAD_INPUT;
        }
    }
    err << "nordelune-cli: unknown command '" << cmd << "' (see --help)\n";
    return EXIT_USAGE;
}

} // namespace nl::cli
