// The "Threads" folder beside the program and the catalog files in it: listing, safe file names
// from the user's manufacturer and type, and creating, renaming, writing and deleting catalogs
// without ever overwriting another catalog's file.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "threads/Catalog.h"

namespace nl {

constexpr const char* THREADS_FOLDER_NAME = "Threads";

// "Threads" beside the program, created when missing.
std::filesystem::path ThreadsFolder(const std::filesystem::path& programFolder);

// The catalog files of a folder (extension ".SC1", any case), sorted by file name so that every
// listing sees them in the same order.
std::vector<std::filesystem::path> CatalogFiles(const std::filesystem::path& folder);

// The headers of every catalog in the folder, in file order; files that are not catalogs or
// cannot be read are left out.
std::vector<TCatData> ReadCatalogHeaders(const std::filesystem::path& folder);

// Every catalog in the folder, read whole, in file order. A damaged file is left out and its
// problem (naming the file) added to `problems` when given.
std::vector<TCatData> ReadCatalogs(const std::filesystem::path& folder,
                                   std::vector<std::string>* problems = nullptr);

// Orders by ListPosition; equal positions keep the order they had.
void SortByListPosition(std::vector<TCatData>& catalogs);
// ListPosition := 0 .. n-1 in list order.
void RenumberListPositions(std::vector<TCatData>& catalogs);

// The file name of a catalog: manufacturer + "-" + type + ".SC1", with path separators, "..",
// characters that file systems reserve and control characters replaced by "_", so that the file
// always lands directly inside the folder.
std::string CatalogFileName(const std::string& manufacturer, const std::string& threadType);

// Why a catalog named so cannot be made (another catalog has the same manufacturer and type, or
// its file name is taken); empty when it can. `self` is the catalog being renamed, if any.
std::string CatalogClash(const std::filesystem::path& folder, const std::vector<TCatData>& catalogs,
                         const std::string& manufacturer, const std::string& threadType,
                         const TCatData* self = nullptr);

// Writes the catalog to its own file (Path), or to the file its names give when it has none yet;
// through a temporary file, so a failure leaves the previous file whole. Throws TError.
void WriteCatalog(TCatData& catalog, const std::filesystem::path& folder);

// Creates the file of a new catalog (NewCatalog) and returns it read back. Throws TError with
// the clash text when the names are taken, or when the file cannot be written.
TCatData CreateCatalogFile(const std::filesystem::path& folder, const std::vector<TCatData>& catalogs,
                           const std::string& manufacturer, const std::string& threadType);

// Gives a catalog new names: the catalog is written under its new file name first and its old
// file deleted after, so a failure loses nothing. Throws TError on a clash or a failed write
// (nothing changed), and when the old file could not be deleted (the catalog has its new names).
void RenameCatalog(TCatData& catalog, const std::filesystem::path& folder,
                   const std::vector<TCatData>& catalogs, const std::string& manufacturer,
                   const std::string& threadType);

// Deletes a catalog's file when it exists. Throws TError when it cannot be deleted.
void DeleteCatalogFile(const TCatData& catalog);

} // namespace nl
