#include "formats/Import.h"

#include <algorithm>

#include "core/Errors.h"
#include "core/FileIO.h"
#include "formats/ImportBuilder.h"
#include "platform/Host.h"
#include "worksheet/Sew.h"

namespace nl {

namespace {
constexpr const char* kProgramName = "Nordelune";
// Larger than any stitch file a machine takes; a larger file is refused before it is read.
constexpr uint64_t kMaxStitchFile = 64ull << 20; // some 20 million DST stitches

// Clears the status line however the import ends.
struct TStatusGuard {
    Host& H;
    ~TStatusGuard() { H.SetStatus(""); }
};
} // namespace

std::unique_ptr<TSLStitch> DecodeStitchFile(std::span<const uint8_t> bytes, TReaderKind kind,
                                            TImportColours& colours, float x, float y) {
    TReaderInfo info = ReaderOf(kind);
    if (!info.Read) throw TReadError("this file format cannot be read yet");
    auto object = std::make_unique<TSLStitch>();
    TImportBuilder builder(*object, colours, x, y);
    info.Read(bytes, builder);
    if (object->Empty()) throw TNoStitchesError();
    // Trim the storage only when much of it is unused: the copy costs more than a few spare slots.
    auto& raw = object->Raw();
    if (raw.capacity() - raw.size() > raw.size() / 8 + 64) raw.shrink_to_fit();
    object->Flags = OF_DIRECT | OF_NEEDLE_POINTS | OF_VISIBLE;
    // The bounds UpdateBounds would give (imported points carry no jumps), from the extremes the
    // builder kept in whole units: imports can hold millions of points.
    object->Bounds = builder.PointBounds();
    object->Bounds.Inflate(std::max<int32_t>(1, TStitchContext{}.SelectionMargin));
    return object;
}

std::unique_ptr<TSLStitch> ReadStitchFile(const std::filesystem::path& file, TReaderKind kind, float x,
                                          float y) {
    auto bytes = ReadWholeFile(file, kMaxStitchFile);
    TImportColours colours = ReaderOf(kind).UsesSideFile ? OpenImportColours(file) : TImportColours();
    try {
        return DecodeStitchFile(bytes, kind, colours, x, y);
    } catch (const TNoStitchesError&) {
        throw TReadError(file.string() + ": the file holds no stitches");
    } catch (const TReadError& e) {
        throw TReadError(file.string() + ": " + e.what());
    }
}

std::optional<std::string> ChooseImportFile(Host& host, TImportSession& session) {
    TFileDialogRequest req;
    req.Title = "Import Stitching From ...";
    req.Filter = IMPORT_FILTER;
    req.FilterIndex = session.FilterIndex;
    std::filesystem::path previous(session.FileName);
    if (session.FileName != "Untitled" && session.FileName != "Undefined" && previous.has_parent_path()) {
        req.InitialDir = previous.parent_path().string();
        req.FileName = previous.filename().string();
    } else {
        std::filesystem::path folder = std::filesystem::path(host.ProgramFolder()) / "Imported";
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        req.InitialDir = folder.string();
        session.FileName = "Untitled";
        req.FileName = session.FileName;
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
    TReaderKind kind = ReaderOfFilter(filterIndex, name);
    TReaderInfo info = ReaderOf(kind);
    if (!info.Read) {
        host.MessageDialog("Error Opening Import",
                           "This File extention ( " + ImportExtension(name) +
                               " ) is not currently supported by " + kProgramName,
                           Buttons(TButton::OK));
        if (session) session->FileName = "Undefined";
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(file, kMaxStitchFile);
    } catch (const std::exception&) {
        host.MessageDialog("Data Modified", name + " : Unable To Load Import Stitch File ",
                           Buttons(TButton::OK));
        return nullptr;
    }
    TImportColours colours = info.UsesSideFile ? OpenImportColours(file) : TImportColours();
    TStatusGuard status{host};
    host.SetStatus(info.StatusText);
    std::unique_ptr<TSLStitch> object;
    try {
        object = DecodeStitchFile(bytes, kind, colours, x, y);
    } catch (const TNoStitchesError&) {
        host.MessageDialog("Import Stitch File",
                           name + " : The File Holds No Stitches. Nothing Was Imported.",
                           Buttons(TButton::OK));
        return nullptr;
    } catch (const std::exception&) {
        // Every reader runs inside this guard: the half-built object is released with `object`.
        host.MessageDialog(name + "Unexpected Format", "File Error", Buttons(TButton::OK));
        return nullptr;
    }
    object->GroupId = sew.Groups.NewGroup();
    object->OrderIndex = 0;
    TSLStitch* added = sew.Add(std::move(object));
    sew.MarkModified();
    host.RequestRedraw();
    return added;
}

} // namespace nl
