// The "Catalog Color Manager" as a model: every catalog of the Threads folder with its order and
// "Use" switch, creating, renaming and deleting catalogs, editing the threads of one, the search,
// and the closing question that writes the catalogs back. It asks its questions through Host; the
// window in gui/ shows it and collects the typed names and search texts.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Host.h"
#include "threads/Catalog.h"

namespace nl {

class TCatalogManager {
public:
    enum class TEditing : uint8_t { None, NewEntry, ExistingEntry };

    // The editing fields of a thread.
    struct TFields {
        std::string Description;
        std::string CatalogNumber;
        int32_t R = 0, G = 0, B = 0;
        int32_t Colour() const { return R + G * 256 + B * 65536; }
    };

    explicit TCatalogManager(Host& host) : host_(host) {}

    // Reads every catalog of `folder` (created when missing) and orders the list; nothing is
    // selected. Damaged catalog files are named in one message and left alone.
    void Open(const std::filesystem::path& folder);
    const std::filesystem::path& Folder() const { return folder_; }

    // ---- catalogs ----
    const std::vector<TCatData>& Catalogs() const { return catalogs_; }
    int32_t Selected() const { return selected_; }
    const TCatData* SelectedCatalog() const;
    // Selecting a catalog is refused while a thread is being edited (the user is told).
    bool SelectCatalog(int32_t index);
    // The information box of the selected catalog (empty and disabled without one).
    bool InfoEnabled() const { return selected_ >= 0; }
    std::string InfoText() const;
    void SetInfoText(const std::string& text);
    // The "Use" check box of a catalog.
    void SetEnabled(int32_t index, bool on);
    // Up / down: the selected catalog changes place with its neighbour.
    bool CanMove(int direction) const;
    void Move(int direction);
    // Catalog buttons are locked while a thread is being edited.
    bool CatalogsLocked() const { return editing_ != TEditing::None; }
    // "New Entry" of the catalogs with the names typed in "Edit Manufacturer And Thread Type".
    bool NewCatalog(const std::string& manufacturer, const std::string& threadType);
    // "Edit Existing": new names for the selected catalog.
    bool RenameSelected(const std::string& manufacturer, const std::string& threadType);
    bool CanDeleteCatalog() const;
    bool DeleteSelectedCatalog();

    // ---- threads of the selected catalog (file order) ----
    size_t EntryCount() const;
    const TCD& Entry(size_t index) const;
    int32_t SelectedEntry() const { return selectedEntry_; }
    void SelectEntry(int32_t index);
    TEditing Editing() const { return editing_; }
    bool CanNewEntry() const { return selected_ >= 0 && editing_ == TEditing::None; }
    void NewEntry();
    bool CanEditEntry() const;
    void EditEntry();
    void Commit();
    bool CanInsert() const { return editing_ == TEditing::ExistingEntry; }
    void Insert();
    void CancelEdit();
    bool CanDeleteEntry() const;
    bool DeleteEntry();
    TFields& Fields() { return fields_; }
    const TFields& Fields() const { return fields_; }
    // R, G or B (channel 0, 1, 2): values outside 0..255 are refused.
    bool SetChannel(int channel, int32_t value);
    // A colour taken by the dropper.
    void SetFieldColour(int32_t colour);

    // ---- search ----
    bool CanFind() const;
    // The next thread after the selected one whose number or name holds the trimmed text; false
    // when none (nothing changes).
    bool Find(const std::string& text);

    // ---- leaving ----
    bool Changed() const { return changed_; }
    // "OK": false while a thread is being edited (the user is told). Otherwise asks, when anything
    // changed, whether to write the catalogs; a failed write is reported and the manager stays.
    bool Close();

private:
    TCatData* Current();
    void SortAndRenumber();
    Host& host_;
    std::filesystem::path folder_;
    std::vector<TCatData> catalogs_;
    int32_t selected_ = -1;
    int32_t selectedEntry_ = -1;
    TEditing editing_ = TEditing::None;
    TFields fields_;
    bool changed_ = false;
    bool changedBeforeNew_ = false;
};

} // namespace nl
