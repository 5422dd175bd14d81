#include "app/FileCommands.h"

#include "app/Folders.h"
#include "core/Errors.h"
#include "core/Units.h"
#include "platform/Host.h"
#include "ui/StatusBar.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {
constexpr const char* kExportHeading = "Exporting File";
constexpr const char* kProgramName = "Nordelune";

// Clears the status line however the import ends.
struct TStatusGuard {
    Host& H;
    ~TStatusGuard() { H.SetStatus(""); }
};
} // namespace

bool ExportDesign(TSew& sew, int32_t groupId, const std::filesystem::path& file, Host& host,
                  const TStitchContext& editing, const std::vector<TSLStitch*>* order) {
    const TFormat* format = ExportFormatOfName(file.string());
    try {
        // Before the overwrite question: a file that cannot be written is not worth asking about.
        CheckWritable(format, file);
    } catch (const TError& e) {
        host.MessageDialog(kExportHeading, e.what(), Buttons(TButton::OK));
        return false;
    }
    std::error_code ec;
    if (std::filesystem::exists(file, ec) &&
        host.MessageDialog(kExportHeading, "File Already Exists. OK To Overwrite ?",
                           TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    std::vector<TSLStitch*> list = order ? *order : sew.BuildStitchOrder(groupId);
    TWrittenDesign written;
    try {
        TOutputGuard guard(list, editing);
        WriteDesign(list, file, *format, FoldersOf(host.ProgramFolder()).Shipped, &written);
    } catch (const std::exception& e) {
        host.MessageDialog(kExportHeading, e.what(), Buttons(TButton::OK));
        host.RequestRedraw();
        return false;
    }
    // The status line says what was written.
    const TKvRect& e = written.Extent;
    const double w = e.empty ? 0.0 : (e.Right - e.Left) / kUnitsPerMm,
                 h = e.empty ? 0.0 : (e.Bottom - e.Top) / kUnitsPerMm;
    host.SetStatus(ExportStatusText(file.string(), *format, written.Stitches, written.ColourBlocks, w, h));
    host.RequestRedraw();
    return true;
}

bool RunExportCommand(TSew& sew, Host& host, TExportSession& session, const TStitchContext& editing,
                      const std::vector<TSLStitch*>* order) {
    TFileDialogRequest req;
    req.Title = "Export Stitching To ...";
    req.Filter = ExportFilter();
    req.FilterIndex = session.FilterIndex;
    std::filesystem::path previous(session.FileName);
    if (!session.FileName.empty() && previous.has_parent_path()) {
        req.InitialDir = previous.parent_path().string();
        req.FileName = previous.filename().string();
    } else {
        req.InitialDir = OwnFolder(host.ProgramFolder(), EXPORTED_FOLDER_NAME).string();
        req.FileName = "Untitled";
    }
    TFileDialogResult r = host.SaveFileDialog(req);
    if (!r.Accepted) return false;
    session.FilterIndex = r.FilterIndex;
    std::string name = ForcedExportName(r.FileName, r.FilterIndex);
    session.FileName = name;
    TSLStitch* current = sew.Current();
    int32_t group = current ? current->GroupId : 0;
    return ExportDesign(sew, group, name, host, editing, order);
}

std::optional<std::string> ChooseImportFile(Host& host, TImportSession& session) {
    TFileDialogRequest req;
    req.Title = "Import Stitching From ...";
    req.Filter = ImportFilter();
    req.FilterIndex = session.FilterIndex;
    std::filesystem::path previous(session.FileName);
    if (session.FileName != "Untitled" && session.FileName != "Undefined" && previous.has_parent_path()) {
        req.InitialDir = previous.parent_path().string();
        req.FileName = previous.filename().string();
    } else {
        req.InitialDir = OwnFolder(host.ProgramFolder(), IMPORTED_FOLDER_NAME).string();
        // The remembered name becomes "Untitled", but an open dialog offers no name: there is no
        // file of that name to open.
        session.FileName = "Untitled";
    }
    TFileDialogResult r = host.OpenFileDialog(req);
    if (!r.Accepted) return std::nullopt;
    session.FilterIndex = r.FilterIndex;
    session.FileName = r.FileName;
    return r.FileName;
}

TSLStitch* ImportStitchFile(TSew& sew, const std::filesystem::path& file, Host& host, float x, float y,
                            int filterIndex, TImportSession* session) {
    const std::string name = file.string();
    TStatusGuard status{host};
    std::unique_ptr<TSLStitch> object;
    try {
        const TFormat& format = ChooseImportFormat(file, filterIndex);
        host.SetStatus(format.ImportStatus);
        object = ReadStitchFile(file, format, x, y);
    } catch (const TImportError& e) {
        switch (e.Fault) {
        case TImportFault::UnknownFormat:
        case TImportFault::NoReader:
            host.MessageDialog("Error Opening Import",
                               "This File extension ( " + ImportExtension(name) +
                                   " ) is not currently supported by " + kProgramName,
                               Buttons(TButton::OK));
            if (session) session->FileName = "Undefined";
            break;
        case TImportFault::CannotOpen:
            host.MessageDialog("Data Modified", name + " : Unable To Load Import Stitch File ",
                               Buttons(TButton::OK));
            break;
        case TImportFault::NoStitches:
            host.MessageDialog("Import Stitch File",
                               name + " : The File Holds No Stitches. Nothing Was Imported.",
                               Buttons(TButton::OK));
            break;
        case TImportFault::Damaged:
            // What the reader found wrong, under the usual heading and text.
            host.MessageDialog(name + "Unexpected Format", "File Error\n\n" + e.Reason, Buttons(TButton::OK));
            break;
        }
        return nullptr;
    } catch (const std::exception& e) {
        // Out of memory, say: the half-built object went with `object`, nothing was added.
        host.MessageDialog(name + "Unexpected Format", std::string("File Error\n\n") + e.what(),
                           Buttons(TButton::OK));
        return nullptr;
    }
    TSLStitch* added = AddImport(sew, std::move(object));
    sew.MarkModified();
    host.RequestRedraw();
    return added;
}

bool SettleUnsavedChanges(const TSew& sew, Host& host, const std::string& heading, const std::string& doing,
                          const std::function<bool()>& save) {
    if (!sew.Modified) return true;
    const std::string name =
        sew.FileName == "Untitled" ? sew.FileName : std::filesystem::path(sew.FileName).filename().string();
    switch (host.MessageDialog(heading,
                               "The Changes To " + name +
                                   " Have Not Been Saved. Do You Want To Save Them Before " + doing + " ?",
                               TButton::Save | TButton::Discard | TButton::Cancel)) {
    case TButton::Save:
        return save();
    case TButton::Discard:
        return true;
    default:
        return false;
    }
}

std::optional<TColorTable> LoadColorTable(const std::filesystem::path& programFolder, Host& host) {
    TColorTableFault fault = TColorTableFault::LoadFailed;
    std::optional<TColorTable> table = ReadColorTable(programFolder, fault);
    if (table) return table;
    if (fault == TColorTableFault::NotATable)
        host.MessageDialog("File Loading Error !", "Not A Valid Nordelune 3D File", Buttons(TButton::OK));
    else
        host.MessageDialog("Failed On File Load", "Failed", Buttons(TButton::OK));
    return std::nullopt;
}

} // namespace nl
