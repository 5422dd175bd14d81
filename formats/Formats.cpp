#include "formats/Formats.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/Dst.h"
#include "formats/Hus.h"

namespace nl {

namespace {
using S = TSideFile;

// One row per machine format. The rows' order is the order of the import dialog's first entry
// ("All Supported File Formats"); the filter columns place each row in the two dialogs. PES has
// its own row in the import dialog and is read by the PEC reader.
constexpr TFormat kFormats[] = {
    // ext, description, code, export filter, import filter, reader, writer, side file, import status
    {"pes", "Brother", FORMAT_PEC, 0, 2, nullptr, nullptr, S::ExportOnly, " Importing Brother PEC Design"},
    {"pec", "Brother", FORMAT_PEC, 1, 3, nullptr, nullptr, S::ExportOnly, " Importing Brother PEC Design"},
    {"hus", "Viking Husqvarna", FORMAT_HUS, 2, 5, &ReadHusVip, &WriteHus, S::Both, ""},
    {"dst", "Tajima", FORMAT_DST, 3, 4, &ReadDst, &WriteDst, S::Both, " Importing Tajima Design"},
    {"exp", "Melco", FORMAT_EXP, 4, 6, nullptr, nullptr, S::Both, " Importing Melco Design"},
    {"vip", "Pfaff VIP", FORMAT_VIP, 5, 7, &ReadHusVip, &WriteVip, S::ExportOnly, ""},
    {"ksm", "Pfaff", FORMAT_KSM, 6, 8, nullptr, nullptr, S::Both, " Importing Pfaff Design"},
    {"dat", "Barudan", FORMAT_DAT, 7, 9, nullptr, nullptr, S::Both, " Importing Barudan Design"},
    {"10o", "Toyota", FORMAT_10O, 8, 10, nullptr, nullptr, S::Both, " Importing Toyota Design"},
    {"xxx", "Compucon / Singer", FORMAT_XXX, 9, 11, nullptr, nullptr, S::Both, ""},
    {"jef", "Janome", FORMAT_JEF, 10, 12, nullptr, nullptr, S::Both, " Importing Janome Design"},
    {"NlD", "Nordelune Designer", FORMAT_DESIGN, 11, 13, nullptr, nullptr, S::None, ""},
};

// The filters are built from the positions, so each dialog position must name exactly one row.
// Returns the number of dialog entries (0 when the positions have a gap or a repeat).
template <typename Position> constexpr int DenseEntries(Position position, int first) {
    int n = 0;
    for (const TFormat& f : kFormats)
        n += position(f) > 0 ? 1 : 0;
    for (int p = first; p < first + n; ++p) {
        int rows = 0;
        for (const TFormat& f : kFormats)
            rows += position(f) == p ? 1 : 0;
        if (rows != 1) return 0;
    }
    return n;
}
constexpr int kExportEntries = DenseEntries([](const TFormat& f) { return f.ExportFilter; }, 1);
// The import dialog's first entry lists every format; the rows start at entry 2.
constexpr int kImportEntries = DenseEntries([](const TFormat& f) { return f.ImportFilter; }, 2);
static_assert(kExportEntries > 0, "export filter positions run 1, 2, ... with no gap or repeat");
static_assert(kImportEntries > 0, "import filter positions run 2, 3, ... with no gap or repeat");

constexpr bool EveryRowIsComplete() {
    for (const TFormat& f : kFormats) {
        if (!f.Extension || !f.Description || !f.ImportStatus) return false;
        int len = 0;
        while (f.Extension[len])
            ++len;
        // Both lookups compare three characters: the export takes a name's last three.
        if (len != 3) return false;
    }
    return true;
}
static_assert(EveryRowIsComplete(), "every row has a three-letter extension and texts");

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Entry(const char* description, const char* extension) {
    return std::string(description) + " ( *." + extension + " )|*." + extension;
}

template <typename Position> const TFormat* AtPosition(Position position, int index) {
    for (const TFormat& f : kFormats)
        if (index > 0 && position(f) == index) return &f;
    return nullptr;
}
} // namespace

std::span<const TFormat> Formats() {
    return kFormats;
}

const std::string& ExportFilter() {
    static const std::string filter = [] {
        std::string s;
        for (int i = 1; i <= kExportEntries; ++i) {
            const TFormat& f = *ExportFormatOfFilter(i);
            s += (s.empty() ? "" : "|") +
                 Entry(f.ExportDescription ? f.ExportDescription : f.Description, f.Extension);
        }
        return s;
    }();
    return filter;
}

const std::string& ImportFilter() {
    static const std::string filter = [] {
        std::string all;
        for (const TFormat& f : kFormats)
            if (f.ImportFilter > 0) all += std::string(all.empty() ? "" : ";") + "*." + f.Extension;
        std::string s = "All Supported File Formats | " + all;
        for (int i = 2; i < 2 + kImportEntries; ++i) {
            const TFormat& f = *AtPosition([](const TFormat& r) { return r.ImportFilter; }, i);
            s += "|" + Entry(f.Description, f.Extension);
        }
        return s;
    }();
    return filter;
}

const TFormat* ExportFormatOfName(const std::string& name) {
    if (name.size() < 3) return nullptr;
    const std::string tail = Upper(name.substr(name.size() - 3));
    for (const TFormat& f : kFormats)
        if (tail == Upper(f.Extension)) return &f;
    return nullptr;
}

const TFormat* FormatOfExtension(std::string_view extension) {
    const std::string e = Lower(std::string(extension));
    for (const TFormat& f : kFormats)
        if (e == Lower(f.Extension)) return &f;
    return nullptr;
}

const TFormat* ExportFormatOfFilter(int filterIndex) {
    return AtPosition([](const TFormat& f) { return f.ExportFilter; }, filterIndex);
}

const TFormat* ImportFormatOfFilter(int filterIndex, const std::string& fileName) {
    if (filterIndex > 1)
        if (const TFormat* f = AtPosition([](const TFormat& r) { return r.ImportFilter; }, filterIndex))
            return f;
    const std::string extension = ImportExtension(fileName);
    return extension.empty() ? nullptr : FormatOfExtension(extension);
}

std::string ExportExtensionOfFilter(int filterIndex) {
    const TFormat* f = ExportFormatOfFilter(filterIndex);
    return f ? f->DottedExtension() : std::string();
}

std::string ForcedExportName(const std::string& chosen, int filterIndex) {
    std::filesystem::path p(chosen);
    std::string file = p.filename().string();
    std::string base = file.substr(0, file.find('.'));
    if (base.empty()) base = "Untitled";
    return (p.parent_path() / (base + ExportExtensionOfFilter(filterIndex))).string();
}

std::string ImportExtension(const std::string& fileName) {
    std::string file = std::filesystem::path(fileName).filename().string();
    size_t dot = file.rfind('.');
    if (dot == std::string::npos || file.size() - dot - 1 != 3) return {};
    return Lower(file.substr(dot + 1));
}

} // namespace nl
