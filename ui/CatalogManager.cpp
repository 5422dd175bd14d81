#include "ui/CatalogManager.h"

#include <algorithm>

#include "core/Colour.h"
#include "core/Errors.h"
#include "threads/CatalogFolder.h"

namespace nl {

namespace {
const char* const kChangeType = "Change Thread Type";
const char* const kCreate = "Create New Thread Data";
const char* const kRename = "Change Manufacturer Information";
const char* const kCommit = "Change Thread Color Data";

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos) return {};
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::string Lines(const std::vector<std::string>& items) {
    std::string s;
    for (const std::string& i : items)
        s += "\n" + i;
    return s;
}
} // namespace

void TCatalogManager::Open(const std::filesystem::path& folder) {
    folder_ = folder;
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    std::vector<std::string> problems;
    catalogs_ = ReadCatalogs(folder_, &problems);
    SortAndRenumber();
    selected_ = -1;
    selectedEntry_ = -1;
    editing_ = TEditing::None;
    fields_ = TFields();
    changed_ = false;
    if (!problems.empty())
        host_.MessageDialog("Damaged Thread Data",
                            "These Thread Catalog Files Could Not Be Read. They Are Left As They Are And Not "
                            "Listed:" +
                                Lines(problems),
                            Buttons(TButton::OK));
}

void TCatalogManager::SortAndRenumber() {
    SortByListPosition(catalogs_);
    RenumberListPositions(catalogs_);
}

TCatData* TCatalogManager::Current() {
    return selected_ >= 0 && static_cast<size_t>(selected_) < catalogs_.size()
               ? &catalogs_[static_cast<size_t>(selected_)]
               : nullptr;
}

const TCatData* TCatalogManager::SelectedCatalog() const {
    return const_cast<TCatalogManager*>(this)->Current();
}

bool TCatalogManager::SelectCatalog(int32_t index) {
    if (editing_ != TEditing::None) {
        host_.MessageDialog(kChangeType,
                            "A Thread Record Is Being Edited. Use Commit, Cancel Or Delete First.",
                            Buttons(TButton::OK));
        return false;
    }
    if (index < 0 || static_cast<size_t>(index) >= catalogs_.size()) return false;
    selected_ = index;
    selectedEntry_ = -1;
    return true;
}

std::string TCatalogManager::InfoText() const {
    const TCatData* c = SelectedCatalog();
    return c ? c->Info : std::string();
}

void TCatalogManager::SetInfoText(const std::string& text) {
    TCatData* c = Current();
    if (!c || c->Info == text) return;
    c->Info = text;
    changed_ = true;
}

void TCatalogManager::SetEnabled(int32_t index, bool on) {
    if (index < 0 || static_cast<size_t>(index) >= catalogs_.size()) return;
    TCatData& c = catalogs_[static_cast<size_t>(index)];
    if (c.Enabled == on) return;
    c.Enabled = on;
    changed_ = true;
}

bool TCatalogManager::CanMove(int direction) const {
    if (CatalogsLocked() || selected_ < 0) return false;
    const int32_t to = selected_ + (direction < 0 ? -1 : 1);
    return to >= 0 && static_cast<size_t>(to) < catalogs_.size();
}

void TCatalogManager::Move(int direction) {
    if (!CanMove(direction)) return;
    const int32_t to = selected_ + (direction < 0 ? -1 : 1);
    TCatData& a = catalogs_[static_cast<size_t>(selected_)];
    TCatData& b = catalogs_[static_cast<size_t>(to)];
    std::swap(a.ListPosition, b.ListPosition);
    SortAndRenumber();
    selected_ = to;
    changed_ = true;
}

bool TCatalogManager::NewCatalog(const std::string& manufacturerText, const std::string& typeText) {
    if (CatalogsLocked()) return false;
    const std::string manufacturer = Trim(manufacturerText), threadType = Trim(typeText);
    if (manufacturer.empty()) {
        host_.MessageDialog(kCreate, "Thread Manufacturer Required", Buttons(TButton::OK));
        return false;
    }
    if (threadType.empty()) {
        host_.MessageDialog(kCreate, "Thread Product Required", Buttons(TButton::OK));
        return false;
    }
    // Another catalog of these names would have its file overwritten: refused before anything.
    std::string clash = CatalogClash(folder_, catalogs_, manufacturer, threadType);
    if (!clash.empty()) {
        host_.MessageDialog(kCreate, clash, Buttons(TButton::OK));
        return false;
    }
    if (host_.MessageDialog(kCreate,
                            "Is It Ok To Create New Thread Data ( " + manufacturer + "-" + threadType + " )",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    try {
        catalogs_.push_back(CreateCatalogFile(folder_, catalogs_, manufacturer, threadType));
    } catch (const TError& e) {
        host_.MessageDialog(kCreate, e.what(), Buttons(TButton::OK));
        return false;
    }
    selected_ = static_cast<int32_t>(catalogs_.size()) - 1;
    selectedEntry_ = -1;
    return true;
}

bool TCatalogManager::RenameSelected(const std::string& manufacturerText, const std::string& typeText) {
    TCatData* c = Current();
    if (!c || CatalogsLocked()) return false;
    const std::string manufacturer = Trim(manufacturerText), threadType = Trim(typeText);
    if (manufacturer.empty()) {
        host_.MessageDialog(kRename, "Thread Manufacturer Required", Buttons(TButton::OK));
        return false;
    }
    if (threadType.empty()) {
        host_.MessageDialog(kRename, "Thread Product Required", Buttons(TButton::OK));
        return false;
    }
    std::string clash = CatalogClash(folder_, catalogs_, manufacturer, threadType, c);
    if (!clash.empty()) {
        host_.MessageDialog(kRename, clash, Buttons(TButton::OK));
        return false;
    }
    if (host_.MessageDialog(kRename, "Is It Ok To Change Information ?", TButton::Yes | TButton::No) !=
        TButton::Yes)
        return false;
    try {
        // Written at once under the new name; the old file goes only once the new one is safe.
        ComputeOrders(*c);
        RenameCatalog(*c, folder_, catalogs_, manufacturer, threadType);
    } catch (const TError& e) {
        host_.MessageDialog(kRename, e.what(), Buttons(TButton::OK));
        return false;
    }
    return true;
}

bool TCatalogManager::CanDeleteCatalog() const {
    return !CatalogsLocked() && selected_ >= 0 && catalogs_.size() >= 2;
}

bool TCatalogManager::DeleteSelectedCatalog() {
    if (!CanDeleteCatalog()) return false;
    TCatData& c = catalogs_[static_cast<size_t>(selected_)];
    if (host_.MessageDialog("Delete Thread Data",
                            "Is It Ok To Delete " + c.Manufacturer + "-" + c.ThreadType + ".SC1" +
                                " Thread Catalog !",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    try {
        DeleteCatalogFile(c);
    } catch (const TError& e) {
        host_.MessageDialog("Delete Thread Data", e.what(), Buttons(TButton::OK));
        return false;
    }
    catalogs_.erase(catalogs_.begin() + selected_);
    selected_ = std::min(selected_, static_cast<int32_t>(catalogs_.size()) - 1);
    selectedEntry_ = -1;
    SortAndRenumber();
    changed_ = true;
    return true;
}

size_t TCatalogManager::EntryCount() const {
    const TCatData* c = SelectedCatalog();
    return c ? c->Entries.size() : 0;
}

const TCD& TCatalogManager::Entry(size_t index) const {
    return SelectedCatalog()->Entries.at(index);
}

void TCatalogManager::SelectEntry(int32_t index) {
    // The thread being edited stays the selected one until the edit ends.
    if (editing_ != TEditing::None) return;
    if (index >= -1 && index < static_cast<int32_t>(EntryCount())) selectedEntry_ = index;
}

void TCatalogManager::NewEntry() {
    if (!CanNewEntry()) return;
    TCatData* c = Current();
    changedBeforeNew_ = changed_;
    c->Entries.push_back(TCD());
    selectedEntry_ = static_cast<int32_t>(c->Entries.size()) - 1;
    const TCD& e = c->Entries.back();
    fields_ = {e.Description, e.CatalogNumber, ColourR(e.Colour), ColourG(e.Colour), ColourB(e.Colour)};
    editing_ = TEditing::NewEntry;
    changed_ = true;
}

bool TCatalogManager::CanEditEntry() const {
    return selected_ >= 0 && editing_ == TEditing::None && selectedEntry_ >= 0 &&
           static_cast<size_t>(selectedEntry_) < EntryCount();
}

void TCatalogManager::EditEntry() {
    if (!CanEditEntry()) return;
    const TCD& e = Entry(static_cast<size_t>(selectedEntry_));
    fields_ = {e.Description, e.CatalogNumber, ColourR(e.Colour), ColourG(e.Colour), ColourB(e.Colour)};
    editing_ = TEditing::ExistingEntry;
}

void TCatalogManager::Commit() {
    TCatData* c = Current();
    if (!c || editing_ == TEditing::None || selectedEntry_ < 0) return;
    TCD& e = c->Entries[static_cast<size_t>(selectedEntry_)];
    e.Description = fields_.Description;
    e.CatalogNumber = fields_.CatalogNumber;
    e.Colour = fields_.Colour();
    editing_ = TEditing::None;
    changed_ = true;
}

void TCatalogManager::Insert() {
    TCatData* c = Current();
    if (!c || !CanInsert() || selectedEntry_ < 0) return;
    TCD e;
    e.Description = fields_.Description;
    e.CatalogNumber = fields_.CatalogNumber;
    e.Colour = fields_.Colour();
    c->Entries.insert(c->Entries.begin() + selectedEntry_, std::move(e));
    // The entry that was being edited is unchanged and stays selected, one row further down.
    ++selectedEntry_;
    editing_ = TEditing::None;
    changed_ = true;
}

void TCatalogManager::CancelEdit() {
    TCatData* c = Current();
    // A new thread that was never committed goes again: cancelling leaves the catalog as it was.
    if (c && editing_ == TEditing::NewEntry && selectedEntry_ >= 0) {
        c->Entries.erase(c->Entries.begin() + selectedEntry_);
        selectedEntry_ = -1;
        changed_ = changedBeforeNew_;
    }
    editing_ = TEditing::None;
}

bool TCatalogManager::CanDeleteEntry() const {
    return editing_ != TEditing::None && EntryCount() >= 2;
}

bool TCatalogManager::DeleteEntry() {
    TCatData* c = Current();
    if (!c || !CanDeleteEntry() || selectedEntry_ < 0) return false;
    if (editing_ == TEditing::ExistingEntry &&
        host_.MessageDialog("Delete Color Record", "Click Yes To Delete Edited Record From File",
                            TButton::Yes | TButton::No) != TButton::Yes)
        return false;
    c->Entries.erase(c->Entries.begin() + selectedEntry_);
    selectedEntry_ = std::min(selectedEntry_, static_cast<int32_t>(c->Entries.size()) - 1);
    editing_ = TEditing::None;
    changed_ = true;
    return true;
}

bool TCatalogManager::SetChannel(int channel, int32_t value) {
    if (value < 0 || value > 255 || channel < 0 || channel > 2) return false;
    (channel == 0 ? fields_.R : channel == 1 ? fields_.G : fields_.B) = value;
    return true;
}

void TCatalogManager::SetFieldColour(int32_t colour) {
    if (colour == NO_COLOUR) return;
    fields_.R = ColourR(colour);
    fields_.G = ColourG(colour);
    fields_.B = ColourB(colour);
}

bool TCatalogManager::CanFind() const {
    return selected_ >= 0 && EntryCount() > 1 && editing_ == TEditing::None;
}

bool TCatalogManager::Find(const std::string& text) {
    if (!CanFind()) return false;
    const std::string t = Trim(text);
    if (t.empty()) return false;
    for (size_t i = static_cast<size_t>(selectedEntry_ + 1); i < EntryCount(); ++i) {
        const TCD& e = Entry(i);
        if (e.CatalogNumber.find(t) != std::string::npos || e.Description.find(t) != std::string::npos) {
            selectedEntry_ = static_cast<int32_t>(i);
            return true;
        }
    }
    return false;
}

bool TCatalogManager::Close() {
    if (editing_ != TEditing::None) {
        host_.MessageDialog(
            kChangeType,
            "A Thread Record Is Currently Being Edited. Use Commit, Cancel Or Delete First Before "
            "Exiting.",
            Buttons(TButton::OK));
        return false;
    }
    if (changed_ &&
        host_.MessageDialog(
            kCommit,
            "Thread Color Data Has been Changed. If You Want To Commit Changes To Your Color Thread "
            "Catalogs Select Yes. Select No And Any Any Changes Made Will Be Lost. )",
            TButton::Yes | TButton::No) == TButton::Yes) {
        std::vector<std::string> failed;
        for (TCatData& c : catalogs_) {
            ComputeOrders(c);
            try {
                WriteCatalog(c, folder_);
            } catch (const TError& e) {
                failed.push_back(e.what());
            }
        }
        // Every catalog that could be written is; the rest stay in the manager for another try.
        if (!failed.empty()) {
            host_.MessageDialog(kCommit, "These Thread Catalogs Could Not Be Saved:" + Lines(failed),
                                Buttons(TButton::OK));
            return false;
        }
    }
    catalogs_.clear();
    selected_ = -1;
    selectedEntry_ = -1;
    changed_ = false;
    return true;
}

} // namespace nl
