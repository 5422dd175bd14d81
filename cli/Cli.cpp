#include "cli/Cli.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>

#include "cli/Render.h"
#include "core/Errors.h"
#include "core/FileIO.h"
#include "core/Units.h"
#include "formats/Export.h"
#include "formats/Import.h"
#include "worksheet/Sew.h"

namespace nl::cli {

namespace {

const char* const kUsage = R"(Usage: nordelune-cli [--help] [--version] COMMAND [ARGS]

Nordelune is an embroidery design and digitizing program; nordelune-cli is its batch face.

Commands:
  convert IN OUT                 read IN and write it as OUT; the formats follow the extensions,
                                 and colour side files (.edr) are read beside IN and written
                                 beside OUT
  info FILE [--json]             stitch count, colour blocks with their colours, extents in mm
  dump FILE                      one line per point: X Y in 0.1 mm (Y downward), and for a point
                                 that starts a colour block "C RRGGBB"
  render FILE OUT.png [--width N]
                                 a picture of the design, N pixels wide (default 800)

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
    const TFormat* format = ExportFormatOfName(out);
    if (!format) throw TFailure{EXIT_USAGE, out + ": not a stitch file extension this program writes"};
    if (!format->Write) throw TFailure{EXIT_CANNOT_WRITE, out + ": this file format cannot be written yet"};
    // The file becomes one object in one group, exported as that group's design.
    TSew sew;
    const int32_t group = AddImport(sew, Load(a[0]))->GroupId;
    try {
        WriteDesign(sew.BuildStitchOrder(group), out, *format, ProgramFolder());
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, e.what()};
    }
    return EXIT_OK;
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

int Info(const std::vector<std::string>& a, std::ostream& out) {
    bool json = false;
    std::vector<std::string> files;
    for (const auto& s : a) {
        if (s == "--json")
            json = true;
        else if (!s.empty() && s[0] == '-')
            throw TFailure{EXIT_USAGE, "info: unknown option '" + s + "'"};
        else
            files.push_back(s);
    }
    if (files.size() != 1) throw TFailure{EXIT_USAGE, "info needs one FILE (see --help)"};
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
    std::string s;
    if (json) {
        s = "{\"file\": " + JsonString(files[0]) + ", \"stitches\": " + std::to_string(o->Count()) +
            ", \"colour_blocks\": [";
        for (size_t i = 0; i < blocks.size(); ++i)
            s += std::string(i ? ", " : "") + "{\"colour\": \"" + Hex(blocks[i].Colour) +
                 "\", \"stitches\": " + std::to_string(blocks[i].Stitches) + "}";
        s += "], \"extents_mm\": {\"width\": " + Mm(maxX - minX) + ", \"height\": " + Mm(maxY - minY) +
             ", \"min_x\": " + Mm(minX) + ", \"max_x\": " + Mm(maxX) + ", \"min_y\": " + Mm(minY) +
             ", \"max_y\": " + Mm(maxY) + "}}\n";
    } else {
        s = files[0] + "\n  stitches: " + std::to_string(o->Count()) +
            "\n  colour blocks: " + std::to_string(blocks.size()) + "\n";
        for (size_t i = 0; i < blocks.size(); ++i)
            s += "    " + std::to_string(i + 1) + ": " + Hex(blocks[i].Colour) + " (" +
                 std::to_string(blocks[i].Stitches) + " stitches)\n";
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
    auto o = Load(a[0]);
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

int Render(const std::vector<std::string>& a, std::ostream&) {
    std::vector<std::string> files;
    int width = 800;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] == "--width") {
            if (i + 1 >= a.size()) throw TFailure{EXIT_USAGE, "render: --width needs a number"};
            const std::string& v = a[++i];
            auto r = std::from_chars(v.data(), v.data() + v.size(), width);
            if (r.ec != std::errc() || r.ptr != v.data() + v.size() || width < MIN_RENDER_WIDTH ||
                width > MAX_RENDER_WIDTH)
                throw TFailure{EXIT_USAGE, "render: --width must be a whole number from " +
                                               std::to_string(MIN_RENDER_WIDTH) + " to " +
                                               std::to_string(MAX_RENDER_WIDTH)};
        } else if (!a[i].empty() && a[i][0] == '-') {
            throw TFailure{EXIT_USAGE, "render: unknown option '" + a[i] + "'"};
        } else {
            files.push_back(a[i]);
        }
    }
    if (files.size() != 2) throw TFailure{EXIT_USAGE, "render needs FILE and OUT.png (see --help)"};
    auto o = Load(files[0]);
    std::vector<uint8_t> png;
    try {
        png = EncodePng(RenderStitches(*o, width));
    } catch (const TError& e) {
        throw TFailure{EXIT_CANNOT_WRITE, files[1] + ": " + e.what()};
    }
    WriteOut(files[1], png);
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
    static const std::pair<const char*, TCommand> commands[] = {
        {"convert", &Convert}, {"info", &Info}, {"dump", &Dump}, {"render", &Render}};
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
