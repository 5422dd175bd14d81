// Export of one design to a machine stitch file: the command's dialog and name, the overwrite
// question, regeneration for output, the format's writer and the colour side file.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/Formats.h"
#include "stitching/StitchContext.h"

namespace nl {

class Host;
class TSew;
class TSLStitch;

// What the export command remembers between exports (and the worksheet file stores).
struct TExportSession {
    std::string FileName;
    int FilterIndex = EXPORT_DEFAULT_FILTER_INDEX;
};

// Regenerates the objects of an order list for output and puts them back into their editing
// state when it goes out of scope, whatever ends the export.
class TOutputGuard {
public:
    TOutputGuard(const std::vector<TSLStitch*>& order, const TStitchContext& editing);
    ~TOutputGuard();
    TOutputGuard(const TOutputGuard&) = delete;
    TOutputGuard& operator=(const TOutputGuard&) = delete;

private:
    std::vector<TSLStitch*> order_;
    const TStitchContext& editing_;
};

// Writes the objects of `order` (already regenerated) to `file` in `format`, and the colour side
// file beside it from the template in `programFolder` when the format has one. Throws TError
// whose text starts with the file name when the design has no stitches, the format cannot be
// written or the file cannot be written; the previous file is then untouched. Returns whether a
// side file was written.
bool WriteDesign(const std::vector<TSLStitch*>& order, const std::filesystem::path& file, int32_t format,
                 const std::filesystem::path& programFolder);

// Exports group `groupId` of the worksheet to `file`: asks before overwriting, regenerates the
// objects for output, writes, and reports problems through the host. `order`, when given, is the
// list of the stitch-order mode, used unchanged. Returns true when the file was written.
bool ExportDesign(TSew& sew, int32_t groupId, const std::filesystem::path& file, int32_t format, Host& host,
                  const TStitchContext& editing, const std::vector<TSLStitch*>* order = nullptr);

// The export command: save dialog, forced extension, then ExportDesign for the group of the
// current object. Returns true when a file was written.
bool RunExportCommand(TSew& sew, Host& host, TExportSession& session, const TStitchContext& editing,
                      const std::vector<TSLStitch*>* order = nullptr);

} // namespace nl
