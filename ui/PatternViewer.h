// The "Prog. Stitch  Pattern Viewer" model: an entry per readable pattern file of the patterns
// folders (named by the file) and per stitch pattern creator of the worksheet ("WorkSheet
// Pattern"), each with its 60 x 60 thumbnail; choosing an entry gives the caller the pattern to
// apply.
#pragma once
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "regions/Support.h"

namespace nl {

class Canvas;
class TSLStitch;

class TPatternViewer {
public:
    struct TEntry {
        std::string Name;
        TObjectPatternCreator* Creator = nullptr; // a worksheet creator, or
        std::filesystem::path File;               // the pattern file read into
        std::shared_ptr<const TObjectStitch> Loaded;
    };
    static constexpr const char* Title = "Prog. Stitch  Pattern Viewer";
    static constexpr const char* WorksheetEntry = "WorkSheet Pattern";
    static constexpr int kThumb = 60;

    static constexpr const char* ClipboardEntry = "Clipboard Pattern";
    // The files of `folders` first (a file that cannot be read is left out), then the creators,
    // then the pattern on the clipboard when there is one.
    TPatternViewer(const TSupportBaseList& support, const std::vector<std::filesystem::path>& folders,
                   std::shared_ptr<const TObjectStitch> clipboard, std::function<void(const TEntry&)> chosen);
    const std::vector<TEntry>& Entries() const { return entries_; }
    // Draws entry i's thumbnail into a 60 x 60 square at (x, y): background 0xF9F9F9, a bevelled
    // frame, the drawing scaled by (60 - 8) / the larger side, the shorter side centred, 4 px margin.
    void DrawThumbnail(size_t i, Canvas& canvas, float x, float y) const;
    // Choosing an entry calls the requester back; false for an index out of range.
    bool Choose(size_t i);

private:
    std::vector<TEntry> entries_;
    std::function<void(const TEntry&)> chosen_;
};

} // namespace nl
