#include "app/FileCommands.h"

#include "app/MainForm.h"

namespace nl {

std::shared_ptr<TFileState> InstallFileServices(TNL& nl, Host& host) {
    auto state = std::make_shared<TFileState>();
    // The lambdas share the state, so it lives as long as the services do.
    nl.Services.ExportGroup = [state, &nl](TSew& sew, Host& h, int32_t) {
        // The export takes the group of the current object, which selecting the group made.
        RunExportCommand(sew, h, state->Export, nl.StitchContext());
    };
    nl.Services.ImportStitchFile = [state](TSew& sew, Host& h, float x, float y) {
        state->LastImport = nullptr;
        std::optional<std::string> file = ChooseImportFile(h, state->Import);
        if (!file) return;
        state->LastImport = ImportStitchFile(sew, *file, h, x, y, state->Import.FilterIndex, &state->Import);
    };
    // The table reports its own problems, so a bad file never raises the generic load message.
    nl.Services.LoadThreadTexture = [state, &host](const std::string& folder) {
        state->Texture = LoadColorTable(folder, host);
    };
    return state;
}

} // namespace nl
