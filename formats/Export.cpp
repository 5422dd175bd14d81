#include "formats/Export.h"

#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/SideFile.h"
#include "stitching/SLStitch.h"

namespace nl {

TOutputGuard::TOutputGuard(const std::vector<TSLStitch*>& order, const TStitchContext& editing)
    : order_(order), editing_(editing) {
    TStitchContext output = editing;
    output.ForExport = true;
    output.BatchTransform = false;
    for (TSLStitch* o : order_) {
        if (!o) continue;
        o->Flags |= OF_GENERATE_HIDDEN;
        Restitch(*o, output);
    }
}

TOutputGuard::~TOutputGuard() {
    for (TSLStitch* o : order_) {
        if (!o) continue;
        o->Flags &= ~OF_GENERATE_HIDDEN;
        try {
            Restitch(*o, editing_);
        } catch (...) {
            // Restitch catches generation errors itself; nothing else may leave a destructor.
        }
    }
}

void CheckWritable(const TFormat* format, const std::filesystem::path& file) {
    if (!format || !format->Write) throw TError(file.string() + ": this file format cannot be written");
}

bool WriteDesign(const std::vector<TSLStitch*>& order, const std::filesystem::path& file,
                 const TFormat& format, const std::filesystem::path& programFolder, TWrittenDesign* written) {
    const std::string name = file.string();
    CheckWritable(&format, file);
    TExportPlan plan(order);
    if (plan.Empty()) throw TError(name + ": the design has no stitches; nothing was written");
    TExportState state;
    state.DesignName = file.stem().string();
    std::vector<uint8_t> bytes;
    try {
        bytes = format.Write(plan, state);
    } catch (const TError& e) {
        throw TError(name + ": " + e.what());
    }
    WriteFileAtomic(file, bytes);
    if (written) *written = {plan.StitchTotal, static_cast<int32_t>(state.Colours.size()), plan.Extent};
    if (!format.ExportSideFile()) return false;
    return WriteSideFile(file, programFolder, state.Colours);
}

} // namespace nl
