// The "Color Catalog Viewer" window over the TCatalogViewer model: free-standing from the Threads
// menu, or modal as the program's thread colour picker with "Best Match", "Apply", the dropper
// and "RGB ...". The "Thread Information" window shows the catalog's general information.
#pragma once
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "ui/CatalogViewer.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace nl {

class TRowList;

class TCatalogViewerDialog : public QDialog {
public:
    // `folder` gives the Threads folder at each opening (it may change with the program folder).
    TCatalogViewerDialog(Host& host, TThreadSettings& settings, std::function<std::string()> folder,
                         QWidget* parent = nullptr);
    ~TCatalogViewerDialog() override;

    // Results of a modal pick.
    enum : int { PICK_OK = 1, PICK_CANCEL = 2, PICK_RGB = 6 };
    struct TPick {
        int Result = PICK_CANCEL;
        int32_t Colour = NO_COLOUR; // the selected thread's colour, NO_COLOUR when none
    };
    // Shows the viewer modally with the preset colour matched; "Apply" calls `apply` with the
    // colour it hands back. Cancel when there is no catalog to show.
    TPick Pick(int32_t preset, bool dropper, const std::function<void(int32_t)>& apply = nullptr);
    // Pick, and what its result means for a colour box: the thread chosen with OK, the colour of
    // the platform's colour dialog after "RGB ...", NO_COLOUR when nothing was chosen.
    int32_t PickColour(int32_t preset, bool dropper, const std::function<void(int32_t)>& apply = nullptr);
    // The viewer from the menu: no picking, "OK" closes it.
    void ShowFreeStanding();

    // Takes a colour from the worksheet for the dropper (the viewer is hidden meanwhile);
    // NO_COLOUR when the user gave up. Unset: the dropper stays disabled.
    std::function<int32_t()> TakeWorksheetColour;
    // The platform colour dialog for "RGB ..." (tests replace it): the colour or NO_COLOUR.
    std::function<int32_t(int32_t initial)> RgbDialog;
    // Called when the free-standing viewer closes (the main window updates its menu).
    std::function<void()> Closed;

    TCatalogViewer& Model() { return model_; }
    // Widgets, for the tests.
    QComboBox* CatalogBox() const { return catalogs_; }
    TRowList* List() const { return list_; }
    QCheckBox* BestMatchBox() const { return bestMatch_; }
    QRadioButton* SortButton(TThreadSort sort) const;
    QPushButton* Button(const std::string& caption) const;
    QDialog* InfoWindow() const { return info_; }

protected:
    void hideEvent(QHideEvent* e) override;
    void reject() override;

private:
    bool Fill(bool modal, int32_t preset, bool dropper);
    void Refresh();
    void SelectionChanged();
    void Dropper();
    TCatalogViewer model_;
    std::function<std::string()> folder_;
    std::function<void(int32_t)> apply_;
    QComboBox* catalogs_ = nullptr;
    TRowList* list_ = nullptr;
    QCheckBox* bestMatch_ = nullptr;
    QRadioButton* sorts_[3] = {};
    QPushButton* applyButton_ = nullptr;
    QPushButton* dropper_ = nullptr;
    QPushButton* rgb_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* infoButton_ = nullptr;
    QDialog* info_ = nullptr;
    QPlainTextEdit* infoText_ = nullptr;
    bool filling_ = false;
    bool picking_ = false;
};

} // namespace nl
