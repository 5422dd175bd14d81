#include "ui/CatalogViewer.h"

#include <algorithm>

#include "core/Errors.h"
#include "threads/CatalogFolder.h"
#include "threads/ThreadMatch.h"

namespace nl {

namespace {
const char* const kNoData = "No Thread Data";

// The file position of the thread shown at a row (orders are permutations once read).
int32_t FileIndexAt(const TCatData& c, TThreadSort sort, size_t row) {
    int32_t i = OrderField(c.Entries[row], sort);
    return i >= 0 && static_cast<size_t>(i) < c.Entries.size() ? i : static_cast<int32_t>(row);
}
} // namespace

bool TCatalogViewer::Open(const std::filesystem::path& folder, bool modal, int32_t preset,
                          bool dropperAllowed) {
    catalogs_.clear();
    current_ = TCatData();
    catalogIndex_ = -1;
    selection_ = -1;
    modal_ = modal;
    preset_ = modal ? preset : NO_COLOUR;
    dropperAllowed_ = dropperAllowed;

    std::vector<TCatData> all = ReadCatalogHeaders(folder);
    if (all.empty()) {
        host_.MessageDialog(
            kNoData,
            "There doesn't Appear To Be Any Thread Data Files In The Threads Folder. This Means "
            "Nordelune Cannot Show The Thread Catalog.",
            Buttons(TButton::OK));
        host_.MessageDialog(
            kNoData,
            "The Thread Catalogs That Come With Nordelune Belong In The Folder " + folder.string() +
                " . Install Nordelune Again To Get Them Back, Or Create Your Own Catalogs With "
                "Manage Color Catalog.",
            Buttons(TButton::OK));
        return false;
    }
    for (const TCatData& c : all)
        if (c.Enabled) catalogs_.push_back(c);
    if (catalogs_.empty()) {
        host_.MessageDialog(kNoData,
                            "Nordelune Has Found All Thread Data Use Attributes To Switched Off. Temporarily "
                            "Switching Them All Back On Again",
                            Buttons(TButton::OK));
        catalogs_ = std::move(all);
    }
    SortByListPosition(catalogs_);
    SelectCatalog(settings_.CatalogChoice);
    return true;
}

void TCatalogViewer::SelectCatalog(int32_t index) {
    if (catalogs_.empty()) return;
    // The remembered choice may come from a worksheet made with other catalogs, or be damaged.
    if (index < 0 || static_cast<size_t>(index) >= catalogs_.size()) index = 0;
    catalogIndex_ = index;
    settings_.CatalogChoice = index;
    settings_.TypeManIndex = index;
    selection_ = -1;
    const TCatData& chosen = catalogs_[static_cast<size_t>(index)];
    try {
        current_ = ReadCatalog(chosen.Path);
    } catch (const TError& e) {
        host_.MessageDialog("Thread Catalog Error", e.what(), Buttons(TButton::OK));
        current_ = chosen;
        current_.Entries.clear();
    }
    RunBestMatch();
}

void TCatalogViewer::SetSort(TThreadSort sort) {
    if (sort == sort_) return;
    const int32_t entry = selection_ >= 0 && static_cast<size_t>(selection_) < Rows()
                              ? FileIndexAt(current_, sort_, static_cast<size_t>(selection_))
                              : -1;
    sort_ = sort;
    selection_ = -1;
    if (modal_ && bestMatch_ && preset_ != NO_COLOUR) {
        RunBestMatch();
        return;
    }
    // Without a match to make, the thread the user picked stays picked.
    for (size_t r = 0; entry >= 0 && r < Rows(); ++r)
        if (FileIndexAt(current_, sort_, r) == entry) selection_ = static_cast<int32_t>(r);
}

void TCatalogViewer::Click(int32_t row) {
    if (row >= 0 && static_cast<size_t>(row) < Rows()) selection_ = row;
}

int32_t TCatalogViewer::SelectedColour() const {
    if (selection_ < 0 || static_cast<size_t>(selection_) >= Rows()) return NO_COLOUR;
    return Row(static_cast<size_t>(selection_)).Colour;
}

void TCatalogViewer::SetBestMatch(bool on) {
    bestMatch_ = on;
    if (on)
        RunBestMatch();
    else
        selection_ = -1;
}

void TCatalogViewer::SetPreset(int32_t colour) {
    preset_ = colour;
    RunBestMatch();
}

int32_t TCatalogViewer::ApplyColour() const {
    int32_t c = SelectedColour();
    return c != NO_COLOUR ? c : preset_;
}

void TCatalogViewer::RunBestMatch() {
    if (!modal_ || !bestMatch_) {
        selection_ = -1;
        return;
    }
    // Without a colour to match there is nothing to select (not the whitest thread).
    if (preset_ == NO_COLOUR) return;
    selection_ = BestMatch(current_, sort_, preset_);
}

} // namespace nl
