// Where the program finds the files it ships and where it keeps the files the user makes.
//
// Run from its build folder, the program keeps everything beside itself, as it always has: the
// data files, the "Threads" catalogs and the "Embroidery Designs", "Exported" and "Imported"
// folders. Installed (the program in <prefix>/bin, its data in <prefix>/share/nordelune), or
// started from a folder it may not write, the shipped files are only read and the user's own
// folders move to the user's data folder ($XDG_DATA_HOME/nordelune, else
// ~/.local/share/nordelune), where a first copy of the shipped thread catalogs is made so that
// they can be edited.
#pragma once
#include <filesystem>
#include <string>

namespace nl {

constexpr const char* DESIGNS_FOLDER_NAME = "Embroidery Designs";
constexpr const char* EXPORTED_FOLDER_NAME = "Exported";
constexpr const char* IMPORTED_FOLDER_NAME = "Imported";
constexpr const char* GUIDE_FOLDER_NAME = "guide";

struct TFolders {
    // The files that come with the program: ColorTable.dat, T.edr, the shipped "Threads"
    // catalogs and the user guide.
    std::filesystem::path Shipped;
    // Where the user's writable folders are made.
    std::filesystem::path Own;
    // The program runs from an installed layout.
    bool Installed = false;
};

// The choice itself, without looking at the disk: `installedData` is the installed data folder
// when it exists (empty otherwise), `programFolderWritable` whether the program's folder may be
// written, `userData` the user's data folder.
TFolders ChooseFolders(const std::filesystem::path& programFolder, bool programFolderWritable,
                       const std::filesystem::path& installedData, const std::filesystem::path& userData);

// The choice for a program started from `programFolder` (the folder of its program file): looks
// for the installed data folder and asks whether the folder may be written.
TFolders FoldersOf(const std::filesystem::path& programFolder);

// "<own>/<name>", created when missing (the path is returned even when it could not be made).
std::filesystem::path OwnFolder(const std::filesystem::path& programFolder, const std::string& name);

// The thread catalogs folder: the shipped "Threads" when the program keeps its files beside
// itself; otherwise the user's own "Threads", filled with a copy of the shipped catalogs when it
// is first made. Created when missing.
std::filesystem::path CatalogFolder(const std::filesystem::path& programFolder);

// The page of the user guide (a file name such as "index.html") in the shipped guide folder.
std::filesystem::path GuidePage(const std::filesystem::path& programFolder, const std::string& page);

} // namespace nl
