#include "formats/Export.h"

#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/SideFile.h"
#include "platform/Host.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {
constexpr const char* kExportHeading = "Expotring File";
}

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

bool WriteDesign(const std::vector<TSLStitch*>& order, const std::filesystem::path& file, int32_t format,
                 const std::filesystem::path& programFolder) {
    const std::string name = file.string();
    TWriterEntry writer = WriterOf(format);
    if (!writer) throw TError(name + ": this file format cannot be written");
    TExportPlan plan(order);
    if (plan.Empty()) throw TError(name + ": the design has no stitches; nothing was written");
    TExportState state;
    std::vector<uint8_t> bytes;
    try {
        bytes = writer(plan, state);
    } catch (const TError& e) {
        throw TError(name + ": " + e.what());
    }
    WriteFileAtomic(file, bytes);
    if (!FormatHasSideFile(format)) return false;
    return WriteSideFile(file, programFolder, state.Colours);
}

bool ExportDesign(TSew& sew, int32_t groupId, const std::filesystem::path& file, int32_t format, Host& host,
                  const TStitchContext& editing, const std::vector<TSLStitch*>* order) {
    std::error_code ec;
    if (std::filesystem::exists(file, ec) &&
        host.MessageDialog(kExportHeading, "File Already Exists. OK To Overwrite ?",
                           TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    std::vector<TSLStitch*> list = order ? *order : sew.BuildStitchOrder(groupId);
    try {
        TOutputGuard guard(list, editing);
        WriteDesign(list, file, format, host.ProgramFolder());
    } catch (const std::exception& e) {
        host.MessageDialog(kExportHeading, e.what(), Buttons(TButton::OK));
        host.RequestRedraw();
        return false;
    }
    host.RequestRedraw();
    return true;
}

bool RunExportCommand(TSew& sew, Host& host, TExportSession& session, const TStitchContext& editing,
                      const std::vector<TSLStitch*>* order) {
    TFileDialogRequest req;
    req.Title = "Export Stitching To ...";
    req.Filter = EXPORT_FILTER;
    req.FilterIndex = session.FilterIndex;
    std::filesystem::path previous(session.FileName);
    if (!session.FileName.empty() && previous.has_parent_path()) {
        req.InitialDir = previous.parent_path().string();
        req.FileName = previous.filename().string();
    } else {
        std::filesystem::path folder = std::filesystem::path(host.ProgramFolder()) / "Exported";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        req.InitialDir = folder.string();
        req.FileName = "Untitled";
    }
    TFileDialogResult r = host.SaveFileDialog(req);
    if (!r.Accepted) return false;
    session.FilterIndex = r.FilterIndex;
    std::string name = ForcedExportName(r.FileName, r.FilterIndex);
    session.FileName = name;
    TSLStitch* current = sew.Current();
    int32_t group = current ? current->GroupId : 0;
    return ExportDesign(sew, group, name, ExportFormatOfName(name), host, editing, order);
}

} // namespace nl
