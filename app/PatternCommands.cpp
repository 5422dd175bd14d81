// Stitch patterns from the main window: the pattern viewer and applying its choice to the current
// column, satin outline or region, and the pattern files of a stitch pattern creator ("Import
// Stitch Pattern", "Export Stitch Pattern") with their dialogs, question and messages.
#include <filesystem>

#include "app/Folders.h"
#include "app/MainForm.h"
#include "formats/AttributeClipboard.h"
#include "formats/PatternFile.h"
#include "regions/Pattern.h"
#include "regions/Support.h"
#include "stitching/SLCurve.h"
#include "ui/PatternViewer.h"

namespace nl {

namespace fs = std::filesystem;

std::vector<fs::path> TNL::PatternFolders() const {
    const fs::path own = OwnFolder(host_.ProgramFolder(), PATTERNS_FOLDER_NAME);
    const fs::path shipped = FoldersOf(host_.ProgramFolder()).Shipped / PATTERNS_FOLDER_NAME;
    std::error_code ec;
    if (fs::equivalent(own, shipped, ec) || !fs::is_directory(shipped, ec)) return {own};
    return {own, shipped};
}

void TNL::OpenPatternViewer() {
    TSLStitch* target = Sew.Current();
    patternViewer_ = std::make_unique<TPatternViewer>(
        Sew.Support, PatternFolders(), ClipboardPattern(),
        [this, target](const TPatternViewer::TEntry& entry) {
            if (!target || Sew.IndexOf(target) < 0) {
                host_.MessageDialog("Prog Stitch", "Select an outline, a curved column or a region first.",
                                    Buttons(TButton::OK));
                return;
            }
            const bool applied = entry.Creator  ? ApplyPattern(*target, *entry.Creator)
                                 : entry.Loaded ? ApplyPattern(*target, *entry.Loaded)
                                                : false;
            if (!applied)
                host_.MessageDialog("Prog Stitch",
                                    "A pattern can be applied to a satin or zigzag outline, a curved "
                                    "column or a fill region.",
                                    Buttons(TButton::OK));
        });
    host_.ShowPatternViewer();
    patternViewer_.reset();
    CommandsChanged();
    Redraw();
}

bool TNL::ApplyPattern(TSLStitch& object, const TObjectPatternCreator& creator) {
    return ApplyPatternCopy(object, MakeCopy(creator));
}

bool TNL::ApplyPattern(TSLStitch& object, const TObjectStitch& drawing) {
    // A copy (from the clipboard) is already in its tile; a file's drawing is scaled into it.
    return ApplyPatternCopy(object, drawing.IsCopy() ? drawing.Clone() : MakeCopy(drawing));
}

void TNL::CopyPattern(TSLStitch& object) {
    TSLStitch* owner = &object;
    PatternSlot(object, &owner);
    host_.SetClipboard(PatternAttributeBytes(static_cast<uint8_t>(owner->Kind()), PatternOf(object)));
    CommandsChanged();
}

std::shared_ptr<const TObjectStitch> TNL::ClipboardPattern() const {
    try {
        auto pattern = ReadAttributePattern(host_.GetClipboard());
        if (pattern && *pattern) return std::shared_ptr<const TObjectStitch>(std::move(*pattern));
    } catch (const TError&) {
        // Damaged attribute data offers no pattern.
    }
    return nullptr;
}

bool TNL::PastePattern(TSLStitch& object) {
    std::shared_ptr<const TObjectStitch> pattern = ClipboardPattern();
    return pattern && ApplyPattern(object, *pattern);
}

bool TNL::ApplyPatternCopy(TSLStitch& object, std::unique_ptr<TObjectStitch> copy) {
    if (!PatternSlot(object)) return false; // a running outline has no width to pierce
    TUndoStep step(Sew, "Prog Stitch", {&object});
    TSLStitch* owner = nullptr;
    PatternSlot(object, &owner);
    SetPattern(object, std::move(copy));
    Restitch(*owner, StitchContext());
    Sew.MarkModified();
    return true;
}

namespace {
// The open and save dialogs start where the last pattern file was, else in the patterns folder.
TFileDialogRequest PatternDialog(const char* title, const std::string& remembered, const fs::path& folder) {
    TFileDialogRequest req;
    req.Title = title;
    req.Filter = PATTERN_FILE_FILTER;
    req.DefaultExt = PATTERN_FILE_EXTENSION;
    const fs::path last(remembered);
    std::error_code ec;
    if (!remembered.empty() && fs::is_directory(last.parent_path(), ec)) {
        req.InitialDir = last.parent_path().string();
        req.FileName = last.filename().string();
    } else {
        req.InitialDir = folder.string();
        req.FileName = "Untitled";
    }
    return req;
}
} // namespace

void TNL::ExportStitchPattern(const TObjectPatternCreator& creator) {
    TFileDialogRequest req = PatternDialog("Export Stitch Pattern", Sew.Settings.PatternFileName,
                                           OwnFolder(host_.ProgramFolder(), PATTERNS_FOLDER_NAME));
    TFileDialogResult r = host_.SaveFileDialog(req);
    if (!r.Accepted || r.FileName.empty()) return;
    fs::path file(r.FileName);
    if (!file.has_extension()) file += std::string(".") + PATTERN_FILE_EXTENSION;
    try {
        SavePatternFile(file, *CreatorDrawing(creator));
        Sew.Settings.PatternFileName = file.string();
    } catch (const std::exception& e) {
        host_.MessageDialog("Pattern Saving Error", " Unable To Save " + file.string() + "\n" + e.what(),
                            Buttons(TButton::OK));
    }
}

bool TNL::ImportStitchPattern(TObjectPatternCreator& creator) {
    TFileDialogRequest req = PatternDialog("Import Stitch Pattern", Sew.Settings.PatternFileName,
                                           OwnFolder(host_.ProgramFolder(), PATTERNS_FOLDER_NAME));
    TFileDialogResult r = host_.OpenFileDialog(req);
    if (!r.Accepted || r.FileName.empty()) return false;
    // The name is remembered (and saved with the worksheet) once the file was taken: a bad file
    // changes nothing.
    if (!LoadPatternInto(creator, r.FileName, false)) return false;
    Sew.Settings.PatternFileName = r.FileName;
    return true;
}

bool TNL::LoadPatternInto(TObjectPatternCreator& creator, const std::string& file, bool quiet) {
    // The whole file is read before anything changes: a bad file leaves the creator as it was.
    std::unique_ptr<TObjectStitch> pattern;
    try {
        pattern = LoadPatternFile(file);
    } catch (const TNotAPatternFile&) {
        if (!quiet)
            host_.MessageDialog("Unrecognised or Unusual File Format.", " Unable To Load " + file,
                                Buttons(TButton::OK));
        return false;
    } catch (const TError& e) {
        if (!quiet) host_.MessageDialog("Pattern Loading Error ", e.what(), Buttons(TButton::OK));
        return false;
    }
    if (!creator.Members.empty() && !quiet &&
        host_.MessageDialog("Clearing Workspace !", "Delete all objects from Prog. Stitch Creation Area ? ",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    CloseSupportProperties();
    TUndoStep step(Sew, "Import Stitch Pattern", creator.Members);
    step.TouchSupport();
    for (TSLStitch* m : std::vector<TSLStitch*>(creator.Members))
        if (Sew.IndexOf(m) >= 0) Sew.DeleteObject(m);
    creator.Members.clear();
    ForgetRemovedObjects();
    // The file's frame and settings, then everything moved back to where the creator stood.
    const int32_t left = creator.Rect.Left, top = creator.Rect.Top;
    creator.Colour = pattern->Color;
    creator.FrameStyle = pattern->FrameStyle;
    creator.Layer = pattern->Layer;
    creator.Extra = pattern->Extra;
    creator.Flags = pattern->Flags & ~TObjectStitch::PATTERN_COPY;
    creator.Rect = pattern->Bounds;
    creator.Pattern.EditPoints = pattern->EditPoints;
    creator.Pattern.PatternWidth = pattern->PatternWidth;
    creator.Pattern.PatternHeight = pattern->PatternHeight;
    creator.Pattern.PatternAngle = pattern->PatternAngle;
    Sew.Support.Renumber();
    for (auto& item : pattern->Items) {
        if (!item) continue;
        TSLStitch* o = Sew.Add(std::unique_ptr<TSLStitch>(item.release()));
        step.Created(o);
        AddMember(creator, *o);
    }
    creator.Offset(left - creator.Rect.Left, top - creator.Rect.Top);
    for (TSLStitch* m : creator.Members) {
        m->UpdateBounds(StitchContext());
        Restitch(*m, StitchContext());
    }
    Sew.MarkModified();
    CommandsChanged();
    Redraw();
    return true;
}

} // namespace nl
