// The "Color Catalog Viewer" as a model: the enabled catalogs in list order, the threads of the
// chosen one in the chosen sort, Best Match to the caller's colour, the selection and what
// "Apply" hands back. The window in gui/ shows it; opening it modally is how the program picks a
// thread colour.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Colour.h"
#include "platform/Host.h"
#include "threads/Catalog.h"
#include "worksheet/ThreadSettings.h"

namespace nl {

class TCatalogViewer {
public:
    TCatalogViewer(Host& host, TThreadSettings& settings) : host_(host), settings_(settings) {}

    // Fills the viewer from the catalogs of `folder`: free-standing (modal false, no preset) or as
    // a colour picker (modal, preset colour or NO_COLOUR, dropper offered or not). Returns false
    // after telling the user when there is no catalog to show: the viewer does not open.
    bool Open(const std::filesystem::path& folder, bool modal, int32_t preset, bool dropperAllowed);

    // ---- the catalog list (enabled catalogs, or all when none is enabled) ----
    const std::vector<TCatData>& Catalogs() const { return catalogs_; }
    int32_t CatalogIndex() const { return catalogIndex_; }
    // Shows another catalog of the list (remembered for the run); Best Match runs again.
    void SelectCatalog(int32_t index);
    // The catalog shown, its threads read whole (empty before Open).
    const TCatData& Current() const { return current_; }

    // ---- the thread list ----
    size_t Rows() const { return current_.Entries.size(); }
    // The thread shown at a row in the current sort.
    const TCD& Row(size_t row) const { return EntryAt(current_, sort_, row); }
    TThreadSort Sort() const { return sort_; }
    // Another sort ("Color", "Number", "Name"): Best Match runs again; without it the selected
    // thread stays selected at its new row.
    void SetSort(TThreadSort sort);
    // The selected row, -1 for none.
    int32_t Selection() const { return selection_; }
    // A click on a row selects it.
    void Click(int32_t row);
    // The selected thread's colour, NO_COLOUR when nothing is selected.
    int32_t SelectedColour() const;

    // ---- picking ----
    bool Modal() const { return modal_; }
    bool DropperAllowed() const { return modal_ && dropperAllowed_; }
    int32_t Preset() const { return preset_; }
    // The "Best Match" box (checked at first): checking it selects the thread nearest to the
    // preset colour; unchecking it clears the selection.
    bool BestMatchOn() const { return bestMatch_; }
    void SetBestMatch(bool on);
    // A colour taken by the dropper becomes the preset and is matched at once.
    void SetPreset(int32_t colour);
    // What "Apply" hands to the caller: the selected colour, or the preset when nothing is selected.
    int32_t ApplyColour() const;

    // The catalog's general information ("Info").
    const std::string& Info() const { return current_.Info; }

private:
    void RunBestMatch();
    Host& host_;
    TThreadSettings& settings_;
    std::vector<TCatData> catalogs_;
    int32_t catalogIndex_ = -1;
    TCatData current_;
    TThreadSort sort_ = TThreadSort::Number;
    int32_t selection_ = -1;
    bool modal_ = false;
    bool dropperAllowed_ = false;
    bool bestMatch_ = true;
    int32_t preset_ = NO_COLOUR;
};

} // namespace nl
