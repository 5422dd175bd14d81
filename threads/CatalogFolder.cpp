#include "threads/CatalogFolder.h"

#include <algorithm>
#include <cstring>

#include "core/Errors.h"
#include "core/FileIO.h"

namespace nl {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t");
    return s.substr(a, b - a + 1);
}

bool SameNames(const TCatData& c, const std::string& manufacturer, const std::string& threadType) {
    return Lower(Trim(c.Manufacturer)) == Lower(Trim(manufacturer)) &&
           Lower(Trim(c.ThreadType)) == Lower(Trim(threadType));
}

bool SamePath(const fs::path& a, const fs::path& b) {
    if (a.empty() || b.empty()) return false;
    return a.lexically_normal() == b.lexically_normal();
}

} // namespace

fs::path ThreadsFolder(const fs::path& programFolder) {
    fs::path folder = programFolder / THREADS_FOLDER_NAME;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

std::vector<fs::path> CatalogFiles(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code e2;
        if (!it->is_regular_file(e2)) continue;
        if (Lower(it->path().extension().string()) == ".sc1") files.push_back(it->path());
    }
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
        return a.filename().string() < b.filename().string();
    });
    return files;
}

std::vector<TCatData> ReadCatalogHeaders(const fs::path& folder) {
    std::vector<TCatData> out;
    for (const fs::path& f : CatalogFiles(folder)) {
        TCatData c;
        if (ReadCatalogHeader(f, c)) out.push_back(std::move(c));
    }
    return out;
}

std::vector<TCatData> ReadCatalogs(const fs::path& folder, std::vector<std::string>* problems) {
    std::vector<TCatData> out;
    for (const fs::path& f : CatalogFiles(folder)) {
        try {
            auto bytes = ReadWholeFile(f, CATALOG_MAX_FILE_SIZE);
            TCatData c;
            c.Path = f;
            // A file with another magic is not a catalog: skipped without a word.
            try {
                if (!ParseCatalog(bytes, c)) continue;
            } catch (const TReadError& e) {
                throw TReadError(f.string() + ": " + e.what());
            }
            out.push_back(std::move(c));
        } catch (const TError& e) {
            if (problems) problems->push_back(e.what());
        }
    }
    return out;
}

void SortByListPosition(std::vector<TCatData>& catalogs) {
    std::stable_sort(catalogs.begin(), catalogs.end(),
                     [](const TCatData& a, const TCatData& b) { return a.ListPosition < b.ListPosition; });
}

void RenumberListPositions(std::vector<TCatData>& catalogs) {
    for (size_t i = 0; i < catalogs.size(); ++i)
        catalogs[i].ListPosition = static_cast<int32_t>(i);
}

std::string CatalogFileName(const std::string& manufacturer, const std::string& threadType) {
    std::string base = Trim(manufacturer) + "-" + Trim(threadType);
    for (char& c : base) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c)) c = '_';
    }
    // No "..": a name is never a step out of the folder, nor a run of dots a system may drop.
    for (size_t at; (at = base.find("..")) != std::string::npos;)
        base.replace(at, 2, 1, '_');
    // Leading dots would hide the file; trailing dots and blanks are dropped by some systems.
    while (!base.empty() && (base.front() == '.' || base.front() == ' '))
        base.erase(base.begin());
    while (!base.empty() && (base.back() == '.' || base.back() == ' '))
        base.pop_back();
    // File systems take names of 255 bytes at most; the extension and a temporary suffix fit.
    if (base.size() > 200) base.resize(200);
    if (base.empty() || base == "-") base = "Catalog";
    return base + CATALOG_EXTENSION;
}

std::string CatalogClash(const fs::path& folder, const std::vector<TCatData>& catalogs,
                         const std::string& manufacturer, const std::string& threadType,
                         const TCatData* self) {
    const std::string name = CatalogFileName(manufacturer, threadType);
    const fs::path target = folder / name;
    for (const TCatData& c : catalogs) {
        if (self && (&c == self || SamePath(c.Path, self->Path))) continue;
        if (SameNames(c, manufacturer, threadType))
            return "A Thread Catalog For " + Trim(manufacturer) + "-" + Trim(threadType) +
                   " Already Exists. Choose Another Manufacturer Or Thread Type.";
        if (!c.Path.empty() && Lower(c.Path.filename().string()) == Lower(name))
            return "The File " + name + " Is Already Used By The Thread Catalog " + c.Manufacturer + "-" +
                   c.ThreadType + ". Choose Another Manufacturer Or Thread Type.";
    }
    // A file of that name that is not in the list (damaged, or not a catalog) is not overwritten
    // either; the catalog being renamed may keep its own file.
    std::error_code ec;
    if (fs::exists(target, ec) && !(self && SamePath(self->Path, target)))
        return "The File " + name +
               " Already Exists In The Threads Folder. Choose Another Manufacturer Or "
               "Thread Type.";
    return {};
}

void WriteCatalog(TCatData& catalog, const fs::path& folder) {
    fs::path path = catalog.Path.empty() ? folder / CatalogFileName(catalog.Manufacturer, catalog.ThreadType)
                                         : catalog.Path;
    TCatData copy = catalog;
    auto bytes = EncodeCatalog(copy);
    WriteFileAtomic(path, bytes);
    for (size_t i = 0; i < catalog.Entries.size(); ++i)
        catalog.Entries[i].EntryIndex = static_cast<int32_t>(i);
    catalog.EntryCount = static_cast<int32_t>(catalog.Entries.size());
    catalog.Path = path;
}

TCatData CreateCatalogFile(const fs::path& folder, const std::vector<TCatData>& catalogs,
                           const std::string& manufacturer, const std::string& threadType) {
    std::string clash = CatalogClash(folder, catalogs, manufacturer, threadType);
    if (!clash.empty()) throw TError(clash);
    TCatData c = NewCatalog(manufacturer, threadType);
    ComputeOrders(c);
    WriteCatalog(c, folder);
    return ReadCatalog(c.Path);
}

void RenameCatalog(TCatData& catalog, const fs::path& folder, const std::vector<TCatData>& catalogs,
                   const std::string& manufacturer, const std::string& threadType) {
    std::string clash = CatalogClash(folder, catalogs, manufacturer, threadType, &catalog);
    if (!clash.empty()) throw TError(clash);
    TCatData renamed = catalog;
    renamed.Manufacturer = manufacturer;
    renamed.ThreadType = threadType;
    renamed.Path = folder / CatalogFileName(manufacturer, threadType);
    // The new file first: if it cannot be written the old one is still there.
    WriteCatalog(renamed, folder);
    const fs::path old = catalog.Path;
    catalog = std::move(renamed);
    if (!old.empty() && !SamePath(old, catalog.Path)) {
        std::error_code ec;
        fs::remove(old, ec);
        if (ec)
            throw TError(old.string() + ": the catalog was saved as " + catalog.Path.filename().string() +
                         " but its old file could not be deleted (" + ec.message() + ")");
    }
}

void DeleteCatalogFile(const TCatData& catalog) {
    if (catalog.Path.empty()) return;
    std::error_code ec;
    if (!fs::exists(catalog.Path, ec)) return;
    fs::remove(catalog.Path, ec);
    if (ec) throw TError(catalog.Path.string() + ": cannot delete the file (" + ec.message() + ")");
}

} // namespace nl
