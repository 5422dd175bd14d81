// The "Object Properties" window: a thin view over the page models of ui/. It shows the pages of
// the current object, writes every accepted entry back at once (the object regenerates and the
// worksheet redraws), refuses out-of-range numbers keeping the old value, and follows the
// current object while it is open.
#pragma once
#include <QDialog>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QWidget;

namespace nl {

class TNL;
class TSLStitch;
class TSLCurve;
class TSLRegion;
class TEditOutlinePage;

class TPropertiesDialog : public QDialog {
public:
    TPropertiesDialog(TNL& nl, QWidget* parent = nullptr);
    ~TPropertiesDialog() override;

    // Opens the window on an object (a column's either rail opens the column).
    void ShowFor(TSLStitch& object);
    // Opens the window on the worksheet's current object (nothing when there is none).
    void ShowCurrent();
    // Opens the window on the "Stitch Ordering" page (while the order mode runs), with the current
    // element's pages beside it.
    void ShowOrderOptions();
    // Follows the current object and re-reads every value; called after each worksheet event.
    void Sync();
    // Called after every accepted change (the worksheet view redraws).
    std::function<void()> Changed;

    TSLStitch* Object() const { return object_; }
    QTabWidget* Tabs() const { return tabs_; }
    // The page with this caption made current; false when the object has no such page.
    bool SelectPage(const std::string& caption);
    std::vector<std::string> PageCaptions() const;
    // Widgets by page and caption, for the tests (the n-th one when a caption repeats).
    QLineEdit* Field(const std::string& page, const std::string& caption, int occurrence = 0) const;
    QCheckBox* Check(const std::string& page, const std::string& caption, int occurrence = 0) const;
    QRadioButton* Choice(const std::string& page, const std::string& caption) const;
    QPushButton* Button(const std::string& page, const std::string& caption) const;
    // The envelope editor of the "   Edit Outline" page (the controller holds it).
    TEditOutlinePage* Envelope() const;
    // The line under the pages that says why a typed value was refused (empty otherwise).
    QLabel* RefusalLabel() const { return refusal_; }
    QPushButton* CloseButton() const { return close_; }

protected:
    void hideEvent(QHideEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    struct TField {
        std::function<bool()> Applies;
        std::function<double()> Get;
        std::function<bool(double)> Set; // false: refused, the object keeps its value
        int Decimals = 2;
        // Why a typed value was refused (the field's range); null: a plain refusal.
        std::function<std::string(const std::string& entered)> Why;
    };
    struct TToggle {
        std::function<bool()> Applies;
        std::function<bool()> Get;
        std::function<void(bool)> Set;
    };

    void Build();
    // True while widgets made in `generation` still belong to the object on show.
    bool Live(int generation) const;
    void Refresh();
    std::string Signature() const;
    void Accepted();
    void ShowRefusal(const std::string& text);
    void UpdateEnvelopeEditor();

    QWidget* AddPage(const std::string& caption);
    QLineEdit* AddField(QWidget* page, const std::string& caption, const std::string& unit, TField f);
    // A number box showing and entering one value; `label` is dimmed with it when it does not apply.
    QLineEdit* NumberBox(QWidget* parent, const std::string& caption, TField f, QLabel* label);
    QCheckBox* AddToggle(QWidget* page, const std::string& caption, TToggle t);
    // The thread colour of the object, with the button that picks it from the catalogs.
    QPushButton* AddColourBox(QWidget* page);
    // One row of a page model built on TFieldPageOf. `model` makes a fresh model per use, so that
    // each carries the current stitch context (the view options may change while the window is open).
    template <typename Model> QLineEdit* AddFieldRow(QWidget* area, const Model& model, size_t index);
    template <typename Model> QCheckBox* AddToggleRow(QWidget* area, const Model& model, size_t index);
    // Every field and check box of the page model; `area` places a row (field or toggle, by index)
    // in a box of the page; null: the page itself.
    template <typename Model>
    void AddPageRows(QWidget* page, const Model& model,
                     const std::function<QWidget*(bool field, size_t index)>& area = nullptr);
    // The model factory of a curve page.
    template <typename Page> auto CurveModel(TSLCurve& curve);

    void BuildCurvePages(TSLCurve& curve);
    void BuildStitchStyle(TSLCurve& curve);
    void BuildOutline(TSLCurve& curve);
    void BuildEditOutline(TSLCurve& curve);
    void BuildColumn(TSLCurve& curve);
    void BuildFillPattern(TSLCurve& curve);
    void BuildFeather(TSLCurve& curve);
    void BuildRegion(TSLRegion& region);
    void BuildStitch(TSLStitch& object);
    void BuildProgStitch(TSLStitch& object);
    // The order mode's display options (worksheet settings, not the object's).
    void BuildOrderOptions();

    TNL& nl_;
    TSLStitch* object_ = nullptr;
    std::string signature_;
    QTabWidget* tabs_ = nullptr;
    std::vector<std::function<void()>> refreshers_;
    int envelopeTab_ = -1;
    int generation_ = 0;
    QLabel* refusal_ = nullptr;
    QPushButton* close_ = nullptr;
    // Where the user left the window, so that it opens there again.
    QRect placement_;
};

} // namespace nl
