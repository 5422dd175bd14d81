// Export of one design to a machine stitch file: regeneration for output, the format's writer and
// the colour side file. The command around it (dialog, questions, messages) is the controller's.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/KvRect.h"
#include "formats/Formats.h"
#include "stitching/StitchContext.h"
#include "worksheet/WorksheetSettings.h" // the remembered export and import state

namespace nl {

class TSLStitch;

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
    // A copy: the guard may outlive the context it was given (a temporary).
    TStitchContext editing_;
};

// Throws TError "<file>: this file format cannot be written" unless `format` has a writer in this
// build. Null `format`: the name has no format.
void CheckWritable(const TFormat* format, const std::filesystem::path& file);

// What an export wrote: the points handed to the format, the colour blocks and the extent of
// the design (worksheet units).
struct TWrittenDesign {
    int64_t Stitches = 0;
    int32_t ColourBlocks = 0;
    TKvRect Extent{.empty = true};
};

// Writes the objects of `order` (already regenerated) to `file` in `format`, and the colour side
// file beside it from the template in `programFolder` when the format has one. Throws TError
// whose text starts with the file name when the design has no stitches, the format cannot be
// written or the file cannot be written; the previous file is then untouched. Returns whether a
// side file was written; `written`, when given, receives what was written.
bool WriteDesign(const std::vector<TSLStitch*>& order, const std::filesystem::path& file,
                 const TFormat& format, const std::filesystem::path& programFolder,
                 TWrittenDesign* written = nullptr);

} // namespace nl
