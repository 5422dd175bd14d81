#include "app/Folders.h"

#include <unistd.h>

#include "app/Preferences.h"
#include "threads/CatalogFolder.h"

#ifndef NL_SHIPPED_DATA_RELATIVE
#define NL_SHIPPED_DATA_RELATIVE "../share/nordelune"
#endif

namespace nl {

namespace fs = std::filesystem;

TFolders ChooseFolders(const fs::path& programFolder, bool programFolderWritable,
                       const fs::path& installedData, const fs::path& userData) {
    TFolders f;
    if (!installedData.empty()) {
        f.Shipped = installedData;
        f.Own = userData;
        f.Installed = true;
    } else {
        f.Shipped = programFolder;
        f.Own = programFolderWritable ? programFolder : userData;
    }
    return f;
}

TFolders FoldersOf(const fs::path& programFolder) {
    std::error_code ec;
    fs::path installed = (programFolder / NL_SHIPPED_DATA_RELATIVE).lexically_normal();
    // The build folder has its data beside the program; only an installed program has this one.
    if (!fs::is_directory(installed, ec)) installed.clear();
    // A folder on a read-only mount is refused even to root, so the question is worth asking.
    bool writable = ::access(programFolder.c_str(), W_OK) == 0;
    return ChooseFolders(programFolder, writable, installed, UserDataFolder());
}

fs::path OwnFolder(const fs::path& programFolder, const std::string& name) {
    fs::path folder = FoldersOf(programFolder).Own / name;
    std::error_code ec;
    fs::create_directories(folder, ec);
    return folder;
}

fs::path CatalogFolder(const fs::path& programFolder) {
    TFolders f = FoldersOf(programFolder);
    if (f.Own == f.Shipped) return ThreadsFolder(f.Shipped);
    fs::path own = f.Own / THREADS_FOLDER_NAME;
    std::error_code ec;
    if (fs::is_directory(own, ec)) return own;
    if (!fs::create_directories(own, ec) && !fs::is_directory(own, ec))
        return f.Shipped / THREADS_FOLDER_NAME; // nowhere to write: the shipped ones can still be read
    // The first time: the user's catalogs start as the shipped ones. Later the user's folder is
    // theirs, so a catalog they deleted stays deleted.
    for (const fs::path& file : CatalogFiles(f.Shipped / THREADS_FOLDER_NAME)) {
        std::error_code e2;
        fs::copy_file(file, own / file.filename(), fs::copy_options::skip_existing, e2);
        // A copied read-only file would stay read-only: the user's copy may be edited.
        fs::permissions(own / file.filename(), fs::perms::owner_write, fs::perm_options::add, e2);
    }
    return own;
}

fs::path GuidePage(const fs::path& programFolder, const std::string& page) {
    return FoldersOf(programFolder).Shipped / GUIDE_FOLDER_NAME / page;
}

} // namespace nl
