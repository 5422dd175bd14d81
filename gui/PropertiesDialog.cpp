#include "gui/PropertiesDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/MainForm.h"
#include "app/OrderMode.h"
#include "core/Colour.h"
#include "regions/SLRegion.h"
#include "stitching/Feather.h"
#include "stitching/SLCurve.h"
#include "ui/CurvedColumnPage.h"
#include "ui/EditOutlinePage.h"
#include "ui/FeatherPage.h"
#include "ui/FillPatternPage.h"
#include "ui/ObjectColour.h"
#include "ui/OutlinePage.h"
#include "ui/PageField.h"
#include "ui/ProgStitchPage.h"
#include "ui/RegionPage.h"
#include "ui/StitchPage.h"
#include "ui/StitchStylePage.h"

namespace nl {

namespace {
constexpr const char* kCaptionProperty = "nlCaption";
constexpr const char* kStitchStyle = "Stitch Style";

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QString Number(double v, int decimals) {
    return QLocale::c().toString(v, 'f', decimals);
}

// A page, or a box on a page, holds a grid of numeric fields above its check boxes.
void MakeFieldArea(QWidget* w) {
    auto* v = new QVBoxLayout(w);
    auto* grid = new QGridLayout;
    v->addLayout(grid);
    w->setProperty("nlGrid", QVariant::fromValue(static_cast<QObject*>(grid)));
}

QGridLayout* FieldGrid(QWidget* area) {
    return qobject_cast<QGridLayout*>(area->property("nlGrid").value<QObject*>());
}

QVBoxLayout* PageLayout(QWidget* area) {
    return static_cast<QVBoxLayout*>(area->layout());
}

template <typename W> W* FindByCaption(QWidget* page, const std::string& caption, int occurrence) {
    if (!page) return nullptr;
    for (W* w : page->findChildren<W*>())
        if (w->property(kCaptionProperty).toString() == Q(caption) && occurrence-- == 0) return w;
    return nullptr;
}

// The object whose pages are shown: rail A stands for its column.
TSLStitch* PageObject(TSLStitch* o) {
    if (o && o->Kind() == KIND_CURVE) return &AttributeCurve(static_cast<TSLCurve&>(*o));
    return o;
}
} // namespace

TPropertiesDialog::TPropertiesDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle("Object Properties");
    setWindowFlag(Qt::Tool);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    layout->addWidget(tabs_);
    // A refused entry says why here, in the window, until the next accepted one.
    refusal_ = new QLabel(this);
    refusal_->setWordWrap(true);
    refusal_->setStyleSheet("color: #b00020;");
    refusal_->hide();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close_ = buttons->button(QDialogButtonBox::Close);
    // Return in a number box stores the number; it must not close the window.
    close_->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(refusal_, 1);
    bottom->addWidget(buttons, 0, Qt::AlignRight | Qt::AlignBottom);
    layout->addLayout(bottom);
    connect(tabs_, &QTabWidget::currentChanged, this, [this] {
        UpdateEnvelopeEditor();
        if (Changed) Changed();
    });
    resize(600, 480);
}

TPropertiesDialog::~TPropertiesDialog() {
    // Nothing acts on the worksheet while the window goes: a box reporting that it lost its focus
    // would reach this window after its own part is already gone.
    object_ = nullptr;
    Changed = nullptr;
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    // The editor was this window's page. (The controller outlives the window.)
    nl_.CloseEnvelopeEditor();
}

TEditOutlinePage* TPropertiesDialog::Envelope() const {
    return envelopeTab_ >= 0 ? nl_.EnvelopePage() : nullptr;
}

void TPropertiesDialog::ShowCurrent() {
    if (TSLStitch* o = nl_.Sew.Current()) ShowFor(*o);
}

void TPropertiesDialog::ShowFor(TSLStitch& object) {
    object_ = PageObject(&object);
    Build();
    show();
    raise();
    UpdateEnvelopeEditor();
}

void TPropertiesDialog::ShowOrderOptions() {
    TSLStitch* element = nl_.OrderMode().Current();
    object_ = PageObject(element ? element : nl_.Sew.Current());
    Build();
    show();
    raise();
    SelectPage("Stitch Ordering");
    UpdateEnvelopeEditor();
}

void TPropertiesDialog::showEvent(QShowEvent* e) {
    // The window opens where it was last closed, at the size it had.
    if (placement_.isValid()) setGeometry(placement_);
    QDialog::showEvent(e);
}

void TPropertiesDialog::hideEvent(QHideEvent* e) {
    placement_ = geometry();
    ShowRefusal("");
    QDialog::hideEvent(e);
    nl_.ShowEnvelopeEditor(false);
    if (Changed) Changed();
}

void TPropertiesDialog::Sync() {
    // An object that left the worksheet is never touched again.
    if (object_ && nl_.Sew.IndexOf(object_) < 0) {
        object_ = nullptr;
        signature_.clear();
        envelopeTab_ = -1;
        nl_.CloseEnvelopeEditor();
    }
    if (!isVisible()) {
        if (!object_) Build();
        return;
    }
    TSLStitch* current = PageObject(nl_.Sew.Current());
    if (current && current != object_) {
        object_ = current;
        Build();
    } else if (!object_) {
        Build();
    } else {
        Refresh();
    }
    UpdateEnvelopeEditor();
}

std::vector<std::string> TPropertiesDialog::PageCaptions() const {
    std::vector<std::string> v;
    for (int i = 0; i < tabs_->count(); ++i)
        v.push_back(tabs_->tabText(i).toStdString());
    return v;
}

bool TPropertiesDialog::SelectPage(const std::string& caption) {
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->tabText(i) == Q(caption)) {
            tabs_->setCurrentIndex(i);
            UpdateEnvelopeEditor();
            return true;
        }
    return false;
}

namespace {
QWidget* PageNamed(QTabWidget* tabs, const std::string& caption) {
    for (int i = 0; i < tabs->count(); ++i)
        if (tabs->tabText(i) == Q(caption)) return tabs->widget(i);
    return nullptr;
}
} // namespace

QLineEdit* TPropertiesDialog::Field(const std::string& page, const std::string& caption,
                                    int occurrence) const {
    return FindByCaption<QLineEdit>(PageNamed(tabs_, page), caption, occurrence);
}

QCheckBox* TPropertiesDialog::Check(const std::string& page, const std::string& caption,
                                    int occurrence) const {
    return FindByCaption<QCheckBox>(PageNamed(tabs_, page), caption, occurrence);
}

QRadioButton* TPropertiesDialog::Choice(const std::string& page, const std::string& caption) const {
    return FindByCaption<QRadioButton>(PageNamed(tabs_, page), caption, 0);
}

QPushButton* TPropertiesDialog::Button(const std::string& page, const std::string& caption) const {
    return FindByCaption<QPushButton>(PageNamed(tabs_, page), caption, 0);
}

// ---- building ----

std::string TPropertiesDialog::Signature() const {
    // The set of pages depends on the kind and on the parts the object has (a width profile,
    // a feather record), so a change of stitch type can add or remove pages.
    // The order mode brings its own page.
    const std::string order = nl_.OrderMode().Active() ? "+order" : "";
    if (!object_) return "none" + order;
    std::string s = std::to_string(object_->Kind()) + order;
    if (object_->Kind() == KIND_CURVE) {
        auto& c = static_cast<TSLCurve&>(*object_);
        s += c.IsRail() ? "c" : "o";
        s += c.Outlines ? "p" : "-";
        s += TFeatherPage::FeatherOf(c) ? "f" : "-";
    }
    // Choosing or clearing a pattern adds or removes its page.
    s += TProgStitchPage::Shown(*object_) ? "P" : "-";
    return s;
}

void TPropertiesDialog::Build() {
    // Widgets of the pages built before no longer act, even if a signal of theirs still arrives
    // (a number box losing its focus while its page goes).
    ++generation_;
    ShowRefusal("");
    const QString previous = tabs_->currentIndex() >= 0 ? tabs_->tabText(tabs_->currentIndex()) : QString();
    nl_.CloseEnvelopeEditor();
    envelopeTab_ = -1;
    refreshers_.clear();
    // Pages are deleted later: this may run inside a signal of one of their widgets.
    const QSignalBlocker block(tabs_);
    while (tabs_->count() > 0) {
        QWidget* w = tabs_->widget(0);
        tabs_->removeTab(0);
        w->hide();
        w->deleteLater();
    }
    signature_ = Signature();
    if (object_ && object_->Kind() == KIND_CURVE)
        BuildCurvePages(static_cast<TSLCurve&>(*object_));
    else if (object_ && object_->Kind() == KIND_REGION)
        BuildRegion(static_cast<TSLRegion&>(*object_));
    else if (object_ && object_->Kind() == KIND_STITCH)
        BuildStitch(*object_);
    if (nl_.OrderMode().Active()) BuildOrderOptions();
    for (int i = 0; i < tabs_->count(); ++i)
        if (tabs_->tabText(i) == previous) tabs_->setCurrentIndex(i);
    for (auto& r : refreshers_)
        r();
}

bool TPropertiesDialog::Live(int generation) const {
    return generation == generation_ && object_ && nl_.Sew.IndexOf(object_) >= 0;
}

void TPropertiesDialog::Refresh() {
    if (Signature() != signature_) {
        Build();
        return;
    }
    for (auto& r : refreshers_)
        r();
}

void TPropertiesDialog::ShowRefusal(const std::string& text) {
    refusal_->setText(Q(text));
    refusal_->setVisible(!text.empty());
}

void TPropertiesDialog::Accepted() {
    ShowRefusal("");
    nl_.Sew.MarkModified();
    Refresh();
    UpdateEnvelopeEditor();
    if (Changed) Changed();
}

void TPropertiesDialog::UpdateEnvelopeEditor() {
    nl_.ShowEnvelopeEditor(isVisible() && Envelope() && tabs_->currentIndex() == envelopeTab_);
}

QWidget* TPropertiesDialog::AddPage(const std::string& caption) {
    auto* page = new QWidget;
    MakeFieldArea(page);
    tabs_->addTab(page, Q(caption));
    return page;
}

QLineEdit* TPropertiesDialog::AddField(QWidget* page, const std::string& caption, const std::string& unit,
                                       TField f) {
    QGridLayout* grid = FieldGrid(page);
    const int row = grid->rowCount();
    auto* label = new QLabel(Q(caption), page);
    QLineEdit* edit = NumberBox(page, caption, std::move(f), label);
    edit->setMaximumWidth(110);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    grid->addWidget(new QLabel(Q(unit), page), row, 2);
    return edit;
}

QLineEdit* TPropertiesDialog::NumberBox(QWidget* parent, const std::string& caption, TField f,
                                        QLabel* label) {
    auto* edit = new QLineEdit(parent);
    edit->setProperty(kCaptionProperty, Q(caption));
    edit->setAlignment(Qt::AlignRight);
    auto field = std::make_shared<TField>(std::move(f));
    auto shown = std::make_shared<QString>();
    auto refresh = [edit, label, field, shown] {
        const bool applies = !field->Applies || field->Applies();
        edit->setEnabled(applies);
        if (label) label->setEnabled(applies);
        *shown = applies ? Number(field->Get(), field->Decimals) : QString();
        edit->setText(*shown);
    };
    refreshers_.push_back(refresh);
    connect(edit, &QLineEdit::editingFinished, this,
            [this, gen = generation_, edit, field, shown, refresh, caption] {
                if (!Live(gen)) return; // a page of an object shown before, or one since gone
                TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
                const QString text = edit->text().trimmed();
                if (text == *shown) return; // focus left without an edit
                bool ok = false;
                double v = QLocale::c().toDouble(text, &ok);
                if (!ok) v = QLocale().toDouble(text, &ok);
                // A refused entry (not a number, out of range) puts the previous value back and says why.
                if (!ok || !field->Set(v)) {
                    const std::string entered = text.toStdString();
                    refresh();
                    if (!ok)
                        ShowRefusal(NumberRefusal(caption, entered));
                    else if (field->Why)
                        ShowRefusal(field->Why(entered));
                    else
                        ShowRefusal(caption + ": " + entered + " was refused. The previous value is kept.");
                    return;
                }
                Accepted();
            });
    return edit;
}

QCheckBox* TPropertiesDialog::AddToggle(QWidget* page, const std::string& caption, TToggle t) {
    auto* box = new QCheckBox(Q(caption), page);
    box->setProperty(kCaptionProperty, Q(caption));
    PageLayout(page)->addWidget(box);
    auto toggle = std::make_shared<TToggle>(std::move(t));
    refreshers_.push_back([box, toggle] {
        const bool applies = !toggle->Applies || toggle->Applies();
        box->setEnabled(applies);
        box->setChecked(applies && toggle->Get());
    });
    connect(box, &QCheckBox::clicked, this, [this, gen = generation_, toggle](bool on) {
        if (!Live(gen)) return; // a page of an object shown before, or one since gone
        TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
        if (toggle->Applies && !toggle->Applies()) return;
        toggle->Set(on);
        Accepted();
    });
    return box;
}

QPushButton* TPropertiesDialog::AddColourBox(QWidget* page) {
    // The object's thread colour: the swatch on the button; the button opens the thread catalog
    // viewer on that colour and the thread chosen recolours the object.
    auto* row = new QHBoxLayout;
    auto* label = new QLabel("Thread Color", page);
    auto* button = new QPushButton("Color", page);
    button->setProperty(kCaptionProperty, "Color");
    button->setToolTip("Choose The Thread From The Color Catalog Viewer");
    button->setIconSize(QSize(40, 14));
    // Return in a number box stores the number; it must not open the viewer.
    button->setAutoDefault(false);
    row->addWidget(label);
    row->addWidget(button);
    row->addStretch(1);
    PageLayout(page)->addLayout(row);
    refreshers_.push_back([this, button] {
        QPixmap swatch(40, 14);
        const int32_t c = object_ ? ObjectColour(*object_) : NO_COLOUR;
        swatch.fill(c == NO_COLOUR ? QColor(Qt::transparent) : QColor(ColourR(c), ColourG(c), ColourB(c)));
        {
            QPainter p(&swatch);
            p.setPen(Qt::black);
            p.drawRect(0, 0, 39, 13);
        }
        button->setIcon(QIcon(swatch));
    });
    connect(button, &QPushButton::clicked, this, [this, gen = generation_] {
        if (!Live(gen)) return;
        TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
        if (nl_.PickObjectColour({object_}))
            Accepted();
        else
            Refresh();
    });
    return button;
}

// ---- curve pages ----

void TPropertiesDialog::BuildCurvePages(TSLCurve& curve) {
    BuildStitchStyle(curve);
    if (curve.IsRail()) {
        BuildColumn(curve);
    } else {
        BuildOutline(curve);
        if (curve.Outlines) BuildEditOutline(curve);
    }
    if (curve.Outlines || curve.IsRail()) BuildFillPattern(curve);
    if (TFeatherPage::FeatherOf(curve)) BuildFeather(curve);
    if (TProgStitchPage::Shown(curve)) BuildProgStitch(curve);
}

void TPropertiesDialog::BuildStitchStyle(TSLCurve& curve) {
    QWidget* page = AddPage(kStitchStyle);
    TNL& nl = nl_;
    TSLCurve* c = &curve;
    auto model = [&nl, c] { return TStitchStylePage(*c, nl.StitchContext(), nl.GetHost()); };
    if (!curve.IsRail()) {
        auto* box = new QGroupBox("Stitch Type", page);
        auto* v = new QVBoxLayout(box);
        auto* group = new QButtonGroup(box);
        for (const auto& choice : TStitchStylePage::StitchTypes()) {
            auto* radio = new QRadioButton(Q(choice.Caption), box);
            radio->setProperty(kCaptionProperty, Q(choice.Caption));
            group->addButton(radio);
            v->addWidget(radio);
            const uint32_t type = choice.Type;
            refreshers_.push_back([radio, model, type] { radio->setChecked(model().CurrentType() == type); });
            connect(radio, &QRadioButton::clicked, this, [this, gen = generation_, model, type, c] {
                if (!Live(gen)) return; // a page of an object shown before, or one since gone
                TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
                TStitchStylePage m = model();
                const uint32_t before = m.CurrentType();
                if (!m.SetStitchType(type)) {
                    Refresh(); // declined: the previous type is selected again
                    return;
                }
                // Choosing stitches for an outline that had none shows them.
                if (before == ST_NONE && type != ST_NONE && !c->Visible()) m.SetVisible(true);
                Accepted();
            });
        }
        PageLayout(page)->addWidget(box);
    }
    AddColourBox(page);
    AddToggle(page, TStitchStylePage::VisibleCaption,
              {nullptr, [model] { return model().Visible(); }, [model](bool on) { model().SetVisible(on); }});
    AddToggle(page, TStitchStylePage::ShortStitchesCaption,
              {nullptr, [model] { return model().ShortStitches(); },
               [model](bool on) { model().SetShortStitches(on); }});
    if (!curve.IsRail()) {
        AddToggle(page, TStitchStylePage::FeatherCaption,
                  {[c] { return c->Outlines != nullptr; }, [model] { return model().Feather(); },
                   [model](bool on) { model().SetFeather(on); }});
        // The pattern is chosen in the pattern viewer; here it can only be switched off.
        AddToggle(page, TStitchStylePage::ProgStitchCaption,
                  {[model] { return model().ProgStitch(); }, [model] { return model().ProgStitch(); },
                   [model](bool on) {
                       if (!on) model().SwitchOffProgStitch();
                   }});
    }
    PageLayout(page)->addStretch(1);
}

template <typename Model>
QLineEdit* TPropertiesDialog::AddFieldRow(QWidget* area, const Model& model, size_t i) {
    using Page = decltype(model());
    const auto& f = Page::Fields()[i];
    return AddField(area, f.Caption, f.Unit,
                    {[model, i] { return model().Applies(i); }, [model, i] { return model().Value(i); },
                     [model, i](double v) { return model().Apply(i, v) == TApply::Accepted; }, f.Decimals,
                     [&f](const std::string& entered) { return f.Refusal(entered); }});
}

template <typename Model>
QCheckBox* TPropertiesDialog::AddToggleRow(QWidget* area, const Model& model, size_t i) {
    using Page = decltype(model());
    return AddToggle(area, Page::Toggles()[i].Caption,
                     {[model, i] { return model().ToggleApplies(i); },
                      [model, i] { return model().ToggleValue(i); },
                      [model, i](bool on) { model().SetToggle(i, on); }});
}

template <typename Model>
void TPropertiesDialog::AddPageRows(QWidget* page, const Model& model,
                                    const std::function<QWidget*(bool, size_t)>& area) {
    using Page = decltype(model());
    for (size_t i = 0; i < Page::Fields().size(); ++i)
        AddFieldRow(area ? area(true, i) : page, model, i);
    for (size_t i = 0; i < Page::Toggles().size(); ++i)
        AddToggleRow(area ? area(false, i) : page, model, i);
}

template <typename Page> auto TPropertiesDialog::CurveModel(TSLCurve& curve) {
    TNL& nl = nl_;
    TSLCurve* c = &curve;
    return [&nl, c] { return Page(*c, nl.StitchContext()); };
}

void TPropertiesDialog::BuildOutline(TSLCurve& curve) {
    QWidget* page = AddPage(TOutlinePage::Caption);
    AddPageRows(page, CurveModel<TOutlinePage>(curve));
    PageLayout(page)->addStretch(1);
}

void TPropertiesDialog::BuildColumn(TSLCurve& curve) {
    QWidget* page = AddPage(TCurvedColumnPage::Caption);
    AddPageRows(page, CurveModel<TCurvedColumnPage>(curve));
    PageLayout(page)->addStretch(1);
}

void TPropertiesDialog::BuildFillPattern(TSLCurve& curve) {
    QWidget* page = AddPage(TFillPatternPage::Caption);
    AddPageRows(page, CurveModel<TFillPatternPage>(curve));
    TNL& nl = nl_;
    TSLCurve* c = &curve;
    auto* box = new QGroupBox(page);
    auto* h = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const TFillMatch matches[3] = {TFillMatch::Top, TFillMatch::Middle, TFillMatch::Bottom};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(TFillPatternPage::MatchCaptions[i], box);
        radio->setProperty(kCaptionProperty, TFillPatternPage::MatchCaptions[i]);
        group->addButton(radio);
        h->addWidget(radio);
        const TFillMatch m = matches[i];
        refreshers_.push_back(
            [radio, &nl, c, m] { radio->setChecked(TFillPatternPage(*c, nl.StitchContext()).Match() == m); });
        connect(radio, &QRadioButton::clicked, this, [this, gen = generation_, &nl, c, m] {
            if (!Live(gen)) return; // a page of an object shown before, or one since gone
            TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
            TFillPatternPage(*c, nl.StitchContext()).SetMatch(m);
            Accepted();
        });
    }
    PageLayout(page)->addWidget(box);
    PageLayout(page)->addStretch(1);
}

void TPropertiesDialog::BuildFeather(TSLCurve& curve) {
    QWidget* page = AddPage(TFeatherPage::Caption);
    // The upper side's settings in one box, the lower side's in another.
    QWidget* boxes[2];
    for (QWidget*& box : boxes) {
        box = new QGroupBox(page);
        MakeFieldArea(box);
        PageLayout(page)->addWidget(box);
    }
    AddPageRows(page, CurveModel<TFeatherPage>(curve),
                [&boxes](bool, size_t i) { return boxes[i < 2 ? 0 : 1]; });
    for (QWidget* box : boxes) {
        // Each box opens with its "Feather Above" / "Feather Below" switch.
        QWidget* on = PageLayout(box)->itemAt(1)->widget();
        PageLayout(box)->removeWidget(on);
        PageLayout(box)->insertWidget(0, on);
    }
    TNL& nl = nl_;
    TSLCurve* c = &curve;
    auto* seed = new QPushButton(TFeatherPage::NewSeedCaption, page);
    seed->setProperty(kCaptionProperty, TFeatherPage::NewSeedCaption);
    connect(seed, &QPushButton::clicked, this, [this, gen = generation_, &nl, c] {
        if (!Live(gen)) return; // a page of an object shown before, or one since gone
        TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
        if (TFeatherPage(*c, nl.StitchContext()).NewRandomSeed()) Accepted();
    });
    PageLayout(page)->addWidget(seed, 0, Qt::AlignLeft);
    PageLayout(page)->addStretch(1);
}

void TPropertiesDialog::BuildEditOutline(TSLCurve& curve) {
    QWidget* page = AddPage(TEditOutlinePage::Caption);
    envelopeTab_ = tabs_->count() - 1;
    TEditOutlinePage* e = &nl_.OpenEnvelopeEditor(curve);
    // The handles are what this page is for: show them unless the outline says otherwise.
    e->SetShowElements(true);
    using P = TEditOutlinePage;
    AddField(
        page, P::SegmentCaption, "",
        {[e] { return e->Applies(); }, [e] { return static_cast<double>(e->Segment()); },
         [e](double v) { return e->SetSegment(v) == TApply::Accepted; }, 0,
         [](const std::string& t) { return RangeRefusal(P::SegmentCaption, t, 1, P::SEGMENT_MAX, ""); }});
    QGridLayout* grid = FieldGrid(page);
    int row = grid->rowCount();
    grid->addWidget(new QLabel("Height", page), row, 1);
    grid->addWidget(new QLabel("Position %", page), row, 2);
    grid->addWidget(new QLabel(TEditOutlinePage::RotateCaption, page), row, 3);
    for (int i = 0; i < 8; ++i) {
        const auto h = static_cast<TEnvelopeHandle>(i);
        row = grid->rowCount();
        const QString name = TEditOutlinePage::HandleCaption(h);
        grid->addWidget(new QLabel(name + (TEditOutlinePage::IsEndHandle(h) ? "  mm" : ""), page), row, 0);
        auto cell = [&](int column, const std::string& caption, TField f) {
            // AddField puts its row at the end of the grid; these share one row per handle.
            QLineEdit* edit = NumberBox(page, caption, std::move(f), nullptr);
            edit->setMaximumWidth(80);
            grid->addWidget(edit, row, column);
        };
        const std::string key = name.toStdString();
        const bool end = P::IsEndHandle(h);
        cell(1, key + " Height",
             {[e] { return e->Applies(); }, [e, h] { return e->Height(h); },
              [e, h](double v) { return e->SetHeight(h, v) == TApply::Accepted; }, 2,
              [key, end](const std::string& t) {
                  return end ? RangeRefusal(key + " Height", t, 0, P::END_HEIGHT_MAX_MM, "mm")
                             : RangeRefusal(key + " Height", t, P::CTRL_HEIGHT_MIN, P::CTRL_HEIGHT_MAX, "");
              }});
        if (!end)
            cell(2, key + " Position",
                 {[e] { return e->Applies(); }, [e, h] { return e->Position(h); },
                  [e, h](double v) { return e->SetPosition(h, v) == TApply::Accepted; }, 2,
                  [key](const std::string& t) { return RangeRefusal(key + " Position", t, 0, 100, "%"); }});
        if (h == TEnvelopeHandle::P1 || h == TEnvelopeHandle::P4)
            cell(3, key + " " + P::RotateCaption,
                 {[e, h] { return e->CanRotate(h); }, [e, h] { return e->Rotate(h); },
                  [e, h](double v) { return e->SetRotate(h, v) == TApply::Accepted; }, 1,
                  [key](const std::string& t) {
                      return RangeRefusal(key + " " + P::RotateCaption, t, -P::ROTATE_MAX_DEG,
                                          P::ROTATE_MAX_DEG, "degrees");
                  }});
    }
    AddToggle(page, TEditOutlinePage::MouseAboveCaption,
              {nullptr, [e] { return e->MouseEditAbove; }, [e](bool on) { e->MouseEditAbove = on; }});
    AddToggle(page, TEditOutlinePage::MouseBelowCaption,
              {nullptr, [e] { return e->MouseEditBelow; }, [e](bool on) { e->MouseEditBelow = on; }});
    AddToggle(page, TEditOutlinePage::ShowElementsCaption,
              {nullptr, [e] { return e->ShowElements(); }, [e](bool on) { e->SetShowElements(on); }});
    PageLayout(page)->addStretch(1);
}

// ---- region page ----

void TPropertiesDialog::BuildRegion(TSLRegion& region) {
    QWidget* page = AddPage(TRegionPage::Caption);
    TNL& nl = nl_;
    TSLRegion* r = &region;
    auto model = [&nl, r] {
        TRegionPage p(*r, nl.StitchContext());
        p.OnHoleChanged = [&nl](TSLRegion& region, bool on) {
            auto& holes = nl.Sew.Holes;
            std::erase(holes, &region);
            if (on) holes.push_back(&region);
        };
        return p;
    };
    auto* box = new QGroupBox(page);
    auto* h = new QHBoxLayout(box);
    auto* group = new QButtonGroup(box);
    const std::pair<const char*, uint32_t> types[] = {
        {"No Stitches ", ST_NONE}, {"Tatami", ST_TATAMI}, {"Satin", ST_SATIN}, {"Zigzag", ST_ZIGZAG}};
    for (const auto& [caption, type] : types) {
        auto* radio = new QRadioButton(caption, box);
        radio->setProperty(kCaptionProperty, caption);
        group->addButton(radio);
        h->addWidget(radio);
        const uint32_t t = type;
        refreshers_.push_back([radio, r, t] { radio->setChecked(r->StitchType() == t); });
        connect(radio, &QRadioButton::clicked, this, [this, gen = generation_, model, t] {
            if (!Live(gen)) return; // a page of an object shown before, or one since gone
            TUndoStep step(nl_.Sew, "Property Change", {object_}); // one step per accepted entry
            model().SetStitchType(t);
            Accepted();
        });
    }
    PageLayout(page)->insertWidget(0, box);
    AddColourBox(page);
    // The fill attributes on the left, the underlay with its own type on the right.
    auto* columns = new QHBoxLayout;
    auto* fill = new QWidget(page);
    auto* under = new QGroupBox(page);
    MakeFieldArea(fill);
    MakeFieldArea(under);
    columns->addWidget(fill, 1);
    columns->addWidget(under, 1, Qt::AlignTop);
    PageLayout(page)->addLayout(columns);
    // "Use Underlay" heads the underlay box.
    QCheckBox* use = AddToggleRow(under, model, static_cast<size_t>(TRegionToggle::UseUnderlay));
    PageLayout(under)->removeWidget(use);
    PageLayout(under)->insertWidget(0, use);
    for (size_t i = 0; i < TRegionPage::Fields().size(); ++i)
        AddFieldRow(TRegionPage::IsUnderlay(static_cast<TRegionField>(i)) ? under : fill, model, i);
    for (size_t i = 0; i < TRegionPage::Toggles().size(); ++i) {
        const auto t = static_cast<TRegionToggle>(i);
        if (t != TRegionToggle::UseUnderlay)
            AddToggleRow(TRegionPage::IsUnderlay(t) ? under : fill, model, i);
    }
    PageLayout(fill)->addStretch(1);
    PageLayout(page)->addStretch(1);
    if (TProgStitchPage::Shown(region)) BuildProgStitch(region);
}

// ---- pattern page ----

void TPropertiesDialog::BuildProgStitch(TSLStitch& object) {
    QWidget* page = AddPage(TProgStitchPage::Caption);
    TNL& nl = nl_;
    TSLStitch* o = &object;
    auto model = [&nl, o] { return TProgStitchPage(*o, nl.StitchContext(), nl.GetHost()); };
    auto button = [this, page](const char* caption, QLayout* row) {
        auto* b = new QPushButton(caption, page);
        b->setProperty(kCaptionProperty, caption);
        b->setAutoDefault(false); // Return in a number box stores the number
        row->addWidget(b);
        return b;
    };
    // "New" chooses a pattern in the viewer (its own undo step); "Clear" asks first.
    auto* top = new QHBoxLayout;
    connect(button(TProgStitchPage::NewCaption, top), &QPushButton::clicked, this, [this, gen = generation_] {
        if (!Live(gen)) return;
        nl_.OpenPatternViewer();
        Accepted();
    });
    connect(button(TProgStitchPage::ClearCaption, top), &QPushButton::clicked, this,
            [this, gen = generation_, model] {
                if (!Live(gen)) return;
                TUndoStep step(nl_.Sew, "Property Change", {object_});
                if (model().Clear()) Accepted();
            });
    // The pattern travels to another object through the clipboard.
    connect(button(TProgStitchPage::CopyCaption, top), &QPushButton::clicked, this,
            [this, gen = generation_] {
                if (!Live(gen)) return;
                nl_.CopyPattern(*object_);
                Refresh();
            });
    QPushButton* paste = button(TProgStitchPage::PasteCaption, top);
    refreshers_.push_back([this, paste] { paste->setEnabled(nl_.ClipboardPattern() != nullptr); });
    connect(paste, &QPushButton::clicked, this, [this, gen = generation_] {
        if (!Live(gen)) return;
        if (nl_.PastePattern(*object_)) Accepted(); // its own undo step
    });
    top->addStretch(1);
    PageLayout(page)->insertLayout(0, top);
    auto* sizes = new QGroupBox("Pattern Tile", page);
    MakeFieldArea(sizes);
    PageLayout(page)->addWidget(sizes);
    auto* orient = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        const auto how = static_cast<TProgStitchPage::TOrient>(i);
        QPushButton* b = button(TProgStitchPage::OrientCaptions[i], orient);
        refreshers_.push_back([b, model] { b->setEnabled(model().Pattern() != nullptr); });
        connect(b, &QPushButton::clicked, this, [this, gen = generation_, model, how] {
            if (!Live(gen)) return;
            TUndoStep step(nl_.Sew, "Property Change", {object_});
            if (model().Orient(how)) Accepted();
        });
    }
    orient->addStretch(1);
    PageLayout(sizes)->addLayout(orient);
    auto* match = new QGroupBox(page);
    MakeFieldArea(match);
    PageLayout(page)->addWidget(match);
    match->setVisible(object.Kind() == KIND_CURVE); // a fill's pattern lies flat
    AddPageRows(page, model, [sizes, match](bool field, size_t) { return field ? sizes : match; });
    auto* anchors = new QHBoxLayout;
    auto* group = new QButtonGroup(match);
    const TPatternAnchor choices[3] = {TPatternAnchor::Top, TPatternAnchor::Middle, TPatternAnchor::Bottom};
    for (int i = 0; i < 3; ++i) {
        auto* radio = new QRadioButton(TProgStitchPage::AnchorCaptions[i], match);
        radio->setProperty(kCaptionProperty, TProgStitchPage::AnchorCaptions[i]);
        group->addButton(radio);
        anchors->addWidget(radio);
        const TPatternAnchor a = choices[i];
        refreshers_.push_back([radio, model, a] {
            const TProgStitchPage m = model();
            radio->setEnabled(m.AnchorApplies());
            radio->setChecked(m.Anchor() == a);
        });
        connect(radio, &QRadioButton::clicked, this, [this, gen = generation_, model, a] {
            if (!Live(gen)) return;
            TUndoStep step(nl_.Sew, "Property Change", {object_});
            if (model().SetAnchor(a)) Accepted();
        });
    }
    anchors->addStretch(1);
    PageLayout(match)->addLayout(anchors);
    PageLayout(page)->addStretch(1);
}

// ---- direct stitch page ----

void TPropertiesDialog::BuildStitch(TSLStitch& object) {
    QWidget* page = AddPage(TStitchPage::Caption);
    TNL& nl = nl_;
    TSLStitch* o = &object;
    auto model = [&nl, o] { return TStitchPage(*o, nl.PointEdit); };
    // Moving the cursor or the range redraws the worksheet (the cursor and selection show there).
    auto field = [&](const char* caption, std::function<int32_t(const TStitchPage&)> get,
                     std::function<bool(TStitchPage&, double)> set) {
        AddField(page, caption, "",
                 {nullptr, [model, get] { return static_cast<double>(get(model())); },
                  [model, set, &nl](double v) {
                      auto m = model();
                      const bool ok = set(m, v);
                      if (ok) nl.GetHost().RequestRedraw();
                      return ok;
                  },
                  0, nullptr});
    };
    field(TStitchPage::PositionCaption, &TStitchPage::Position, &TStitchPage::SetPosition);
    field(TStitchPage::PlusCaption, &TStitchPage::Plus, &TStitchPage::SetPlus);
    field(TStitchPage::MinusCaption, &TStitchPage::Minus, &TStitchPage::SetMinus);
    auto* arrows = new QHBoxLayout;
    const char* tips[] = {"Previous Stitch", "Next Stitch", "Previous Color Point", "Next Color Point"};
    const TStitchStep order[] = {TStitchStep::PreviousColour, TStitchStep::Back, TStitchStep::Forward,
                                 TStitchStep::NextColour};
    for (TStitchStep step : order) {
        const char* caption = TStitchPage::StepCaptions[static_cast<size_t>(step)];
        auto* b = new QPushButton(caption, page);
        b->setProperty(kCaptionProperty, caption);
        b->setToolTip(tips[static_cast<size_t>(step)]);
        b->setAutoDefault(false);
        b->setMaximumWidth(48);
        arrows->addWidget(b);
        connect(b, &QPushButton::clicked, this, [this, gen = generation_, model, step, &nl] {
            if (!Live(gen)) return;
            model().Step(step);
            nl.GetHost().RequestRedraw();
            Refresh();
        });
    }
    arrows->addStretch(1);
    PageLayout(page)->addLayout(arrows);
    // The colour of the colour block in force at the cursor (disabled when none is).
    auto* row = new QHBoxLayout;
    auto* label = new QLabel(TStitchPage::ColourCaption, page);
    auto* colour = new QPushButton("Color", page);
    colour->setProperty(kCaptionProperty, TStitchPage::ColourCaption);
    colour->setIconSize(QSize(40, 14));
    colour->setAutoDefault(false);
    row->addWidget(label);
    row->addWidget(colour);
    row->addStretch(1);
    PageLayout(page)->addLayout(row);
    refreshers_.push_back([model, colour, label] {
        const TStitchPage m = model();
        colour->setEnabled(m.ColourApplies());
        label->setEnabled(m.ColourApplies());
        QPixmap swatch(40, 14);
        const int32_t c = m.Colour();
        swatch.fill(c == NO_COLOUR ? QColor(Qt::transparent) : QColor(ColourR(c), ColourG(c), ColourB(c)));
        {
            QPainter p(&swatch);
            p.setPen(Qt::black);
            p.drawRect(0, 0, 39, 13);
        }
        colour->setIcon(QIcon(swatch));
    });
    connect(colour, &QPushButton::clicked, this, [this, gen = generation_, model] {
        if (!Live(gen)) return;
        const int32_t block = model().ColourBlock();
        if (block < 0) return;
        if (nl_.PickObjectColour({object_}, block))
            Accepted();
        else
            Refresh();
    });
    AddToggle(page, TStitchPage::LowLevelCaption,
              {nullptr, [model] { return model().LowLevel(); },
               [model, &nl](bool on) {
                   model().SetLowLevel(on);
                   nl.GetHost().RequestRedraw();
               }});
    AddToggle(page, TStitchPage::HideUnselectedCaption,
              {nullptr, [model] { return model().HideUnselected(); },
               [model, &nl](bool on) {
                   model().SetHideUnselected(on);
                   nl.GetHost().RequestRedraw();
               }});
    AddToggle(page, TStitchPage::HighlightCaption,
              {nullptr, [model] { return model().HighlightColours(); },
               [model, &nl](bool on) {
                   model().SetHighlightColours(on);
                   nl.GetHost().RequestRedraw();
               }});
    auto* reset = new QPushButton(TStitchPage::ResetCaption, page);
    reset->setProperty(kCaptionProperty, TStitchPage::ResetCaption);
    reset->setAutoDefault(false);
    reset->setMaximumWidth(100);
    PageLayout(page)->addWidget(reset);
    connect(reset, &QPushButton::clicked, this, [this, gen = generation_, model, &nl] {
        if (!Live(gen)) return;
        model().Reset();
        nl.GetHost().RequestRedraw();
        Refresh();
    });
    PageLayout(page)->addStretch(1);
}

} // namespace nl
