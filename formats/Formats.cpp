#include "formats/Formats.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "formats/Dst.h"
#include "formats/Hus.h"

namespace nl {

const char* const EXPORT_FILTER =
    "Brother ( *.pec )|*.pec|Viking Husqvarna ( *.hus )|*.hus|Tajima ( *.dst )|*.dst|Melco ( *.exp )|*.exp|"
    "Pfaff VIP ( *.vip )|*.vip|Pfaff ( *.ksm )|*.ksm|Barudan ( *.dat )|*.dat|Toyota ( *.10o )|*.10o|"
    "Compucon / Singer ( *.xxx )|*.xxx|Janome ( *.jef )|*.jef|Nordelune Designer ( *.NlD )|*.NlD";

// "*.pes" belongs in the first entry too: the PES entry below is read by the same reader, and a
// user browsing "All Supported File Formats" would otherwise not see PES files at all.
const char* const IMPORT_FILTER =
    "All Supported File Formats | *.pes;*.pec;*.hus;*.dst;*.exp;*.vip;*.ksm;*.dat;*.10o;*.xxx;*.jef;*.NlD|"
    "Brother ( *.pes )|*.pes|Brother ( *.pec )|*.pec|Tajima ( *.dst )|*.dst|Viking Husqvarna ( *.hus )|*.hus|"
    "Melco ( *.exp )|*.exp|Pfaff VIP ( *.vip )|*.vip|Pfaff ( *.ksm )|*.ksm|Barudan ( *.dat )|*.dat|"
    "Toyota ( *.10o )|*.10o|Compucon / Singer ( *.xxx )|*.xxx|Janome ( *.jef )|*.jef|"
    "Nordelune Designer ( *.NlD )|*.NlD";

namespace {
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
} // namespace

int32_t ExportFormatOfName(const std::string& name) {
    if (name.size() < 3) return FORMAT_NONE;
    std::string tail = Upper(name.substr(name.size() - 3));
    static const std::pair<const char*, int32_t> table[] = {
        {"PEC", FORMAT_PEC}, {"PES", FORMAT_PEC},    {"HUS", FORMAT_HUS}, {"DST", FORMAT_DST},
        {"EXP", FORMAT_EXP}, {"VIP", FORMAT_VIP},    {"KSM", FORMAT_KSM}, {"DAT", FORMAT_DAT},
        {"10O", FORMAT_10O}, {"NLD", FORMAT_DESIGN}, {"XXX", FORMAT_XXX}, {"JEF", FORMAT_JEF}};
    for (auto& [ext, code] : table)
        if (tail == ext) return code;
    return FORMAT_NONE;
}

std::string ExportExtensionOfFilter(int filterIndex) {
    static const char* const ext[] = {".pec", ".hus", ".dst", ".exp", ".vip", ".ksm",
                                      ".dat", ".10o", ".xxx", ".jef", ".NlD"};
    if (filterIndex < 1 || filterIndex > 11) return {};
    return ext[filterIndex - 1];
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

TReaderKind ReaderOfExtension(const std::string& e) {
    if (e == "pes" || e == "pec") return TReaderKind::PecPes;
    if (e == "dst") return TReaderKind::Dst;
    if (e == "hus" || e == "vip") return TReaderKind::HusVip;
    if (e == "exp") return TReaderKind::Exp;
    if (e == "ksm") return TReaderKind::Ksm;
    if (e == "dat") return TReaderKind::Dat;
    if (e == "10o") return TReaderKind::TenO;
    if (e == "xxx") return TReaderKind::Xxx;
    if (e == "jef") return TReaderKind::Jef;
    if (e == "nld") return TReaderKind::Design;
    return TReaderKind::None;
}

TReaderKind ReaderOfFilter(int filterIndex, const std::string& fileName) {
    switch (filterIndex) {
    case 2:
    case 3:
        return TReaderKind::PecPes;
    case 4:
        return TReaderKind::Dst;
    case 5:
    case 7:
        return TReaderKind::HusVip;
    case 6:
        return TReaderKind::Exp;
    case 8:
        return TReaderKind::Ksm;
    case 9:
        return TReaderKind::Dat;
    case 10:
        return TReaderKind::TenO;
    case 11:
        return TReaderKind::Xxx;
    case 12:
        return TReaderKind::Jef;
    case 13:
        return TReaderKind::Design;
    default:
        return ReaderOfExtension(ImportExtension(fileName));
    }
}

TWriterEntry WriterOf(int32_t format) {
    switch (format) {
    case FORMAT_DST:
        return &WriteDst;
    case FORMAT_HUS:
        return &WriteHus;
    case FORMAT_VIP:
        return &WriteVip;
    default:
        return nullptr;
    }
}

bool FormatHasSideFile(int32_t format) {
    return format != FORMAT_DESIGN && format != FORMAT_NONE;
}

TReaderInfo ReaderOf(TReaderKind kind) {
    switch (kind) {
    case TReaderKind::Dst:
        return {&ReadDst, " Importing Tajima Design", true};
    case TReaderKind::HusVip:
        return {&ReadHusVip, "", true}; // no status text for this reader
    default:
        return {};
    }
}

} // namespace nl
