// The file commands of the main window around the format library: the export of a layout group
// (save dialog, the overwrite question, messages), the import placed at a click (open dialog,
// messages that give the reader's reason), and the thread texture table loaded at the first
// showing. Everything they ask or report goes through the Host.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "formats/ColorTable.h"
#include "formats/Export.h"
#include "formats/Import.h"
#include "stitching/StitchContext.h"

namespace nl {

class Host;
class TSew;
class TSLStitch;

// What the file commands remember for the whole run (the remembered export and import names and
// filters are the worksheet's settings: Sew.Settings.Export and .Import).
struct TFileState {
    // The thread texture, when "ColorTable.dat" loaded.
    std::optional<TColorTable> Texture;
    // The object the last import added, null when it added nothing.
    TSLStitch* LastImport = nullptr;
};

// Exports group `groupId` of the worksheet to `file`: refuses a format this build cannot write,
// asks before overwriting, regenerates the objects for output, writes, and reports problems
// through the host. `order`, when given, is the list of the stitch-order mode, used unchanged.
// Returns true when the file was written.
bool ExportDesign(TSew& sew, int32_t groupId, const std::filesystem::path& file, Host& host,
                  const TStitchContext& editing, const std::vector<TSLStitch*>* order = nullptr);

// The export command: save dialog, forced extension, then ExportDesign for the group of the
// current object. Returns true when a file was written.
bool RunExportCommand(TSew& sew, Host& host, TExportSession& session, const TStitchContext& editing,
                      const std::vector<TSLStitch*>* order = nullptr);

// The import command's open dialog. Returns the chosen file name (and remembers it and the
// filter index), or nothing when the user cancelled.
std::optional<std::string> ChooseImportFile(Host& host, TImportSession& session);

// Adds the stitches of `file` to the worksheet as one new direct stitch object in a new group,
// placed from (x, y). Problems are shown through the host (a damaged file with the reader's
// reason), and then nothing is added. Returns the new object or null. A file of an unsupported
// kind leaves "Undefined" as the session's remembered name when a session is given.
TSLStitch* ImportStitchFile(TSew& sew, const std::filesystem::path& file, Host& host, float x, float y,
                            int filterIndex = IMPORT_DEFAULT_FILTER_INDEX, TImportSession* session = nullptr);

// Before the worksheet would be closed (Exit, New Worksheet, Open, closing the window): when it has
// unsaved changes, asks under `heading` whether to save them before `doing` ("Leaving"): Save,
// Don't Save or Cancel. Save runs `save` (Save, or Save As for a worksheet without a name). True
// when the command may go on: nothing was unsaved, the user chose Don't Save, or the save
// succeeded. Without unsaved changes nothing is asked.
bool SettleUnsavedChanges(const TSew& sew, Host& host, const std::string& heading, const std::string& doing,
                          const std::function<bool()>& save);

// Loads "ColorTable.dat" from the program folder; a bad file is reported through the host and
// leaves the texture unavailable.
std::optional<TColorTable> LoadColorTable(const std::filesystem::path& programFolder, Host& host);

} // namespace nl
