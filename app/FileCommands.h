// The machine-file services of the main window: export of a layout group, import placed at a
// click, and the thread texture table loaded at the first showing. They plug into TNLServices,
// which enables the commands that need them.
#pragma once
#include <memory>
#include <optional>

#include "formats/ColorTable.h"
#include "formats/Export.h"
#include "formats/Import.h"

namespace nl {

class Host;
class TNL;

// What the file commands remember for the whole run.
struct TFileState {
    TExportSession Export;
    TImportSession Import;
    // The thread texture, when "ColorTable.dat" loaded.
    std::optional<TColorTable> Texture;
    // The object the last import added, null when it added nothing.
    TSLStitch* LastImport = nullptr;
};

// Installs the export, import and thread texture services into `nl`; the returned state lives as
// long as any of them.
std::shared_ptr<TFileState> InstallFileServices(TNL& nl, Host& host);

} // namespace nl
