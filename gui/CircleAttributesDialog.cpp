#include "gui/CircleAttributesDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainForm.h"

namespace nl {

namespace {
using F = TCircleField;
using T = TCircleToggle;

QString Number(double v, int decimals) {
    return QLocale::c().toString(v, 'f', decimals);
}
} // namespace

TCircleAttributesDialog::TCircleAttributesDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle(TCircleDialog::Title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);

    auto addField = [this](QGridLayout* grid, F f, int row, int column = 0) {
        const TCircleFieldSpec& s = TCircleDialog::Spec(f);
        auto* label = new QLabel(s.Caption, this);
        auto* edit = new QLineEdit(this);
        edit->setAlignment(Qt::AlignRight);
        edit->setMaximumWidth(110);
        edit->setToolTip(
            QString("%1 to %2 %3").arg(Number(s.Min, s.Decimals), Number(s.Max, s.Decimals), s.Unit));
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1);
        grid->addWidget(new QLabel(s.Unit, this), row, column + 2);
        fields_[f] = edit;
        labels_[f] = label;
        connect(edit, &QLineEdit::editingFinished, this, [this, f] { Entered(f); });
    };
    auto addCheck = [this](QGridLayout* grid, T t, int row) {
        auto* check = new QCheckBox(TCircleDialog::ToggleCaption(t), this);
        grid->addWidget(check, row, 0, 1, 3);
        checks_[t] = check;
        // Only the user's clicks reach the model; showing the model's state changes nothing.
        connect(check, &QCheckBox::clicked, this, [this, t](bool on) { Clicked(t, on); });
    };

    auto* circle = new QGroupBox("Circle", this);
    auto* cg = new QGridLayout(circle);
    addField(cg, F::Radius, 0);
    addField(cg, F::OriginX, 1);
    addField(cg, F::OriginY, 1, 3);
    layout->addWidget(circle);

    auto* ring = new QGroupBox("Concentric Circle", this);
    auto* rg = new QGridLayout(ring);
    addCheck(rg, T::Concentric, 0);
    addField(rg, F::ConcentricRadius, 1);
    layout->addWidget(ring);

    auto* segments = new QGroupBox("Segments", this);
    auto* sg = new QGridLayout(segments);
    addCheck(sg, T::SegmentCircle, 0);
    addField(sg, F::Segments, 1);
    addField(sg, F::OffsetAngle, 2);
    addCheck(sg, T::BezierSegments, 3);
    addCheck(sg, T::SegmentLines, 4);
    addCheck(sg, T::PositionSegment, 5);
    addField(sg, F::SegLength, 6);
    addField(sg, F::CentreOffset, 7);
    layout->addWidget(segments);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton("OK", this);
    cancel_ = new QPushButton("Cancel", this);
    // Return in a number box enters the number; it must not close the dialog.
    for (QPushButton* b : {ok_, cancel_}) {
        b->setAutoDefault(false);
        b->setDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (TCircleDialog* m = Model()) m->Ok();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

TCircleDialog* TCircleAttributesDialog::Model() const {
    return nl_.CircleDialog();
}

QLineEdit* TCircleAttributesDialog::Field(TCircleField f) const {
    auto it = fields_.find(f);
    return it == fields_.end() ? nullptr : it->second;
}

QCheckBox* TCircleAttributesDialog::Check(TCircleToggle t) const {
    auto it = checks_.find(t);
    return it == checks_.end() ? nullptr : it->second;
}

void TCircleAttributesDialog::Run() {
    if (!Model()) return;
    Refresh();
    adjustSize();
    PlaceBesideTheCircle();
    exec();
}

void TCircleAttributesDialog::PlaceBesideTheCircle() {
    QWidget* top = parentWidget();
    if (!top) return;
    const QRect area(top->mapToGlobal(QPoint(0, 0)), top->size());
    const TCircleDialog* m = Model();
    const bool circleOnTheLeft = nl_.View.ScreenX(m->CentreX()) < nl_.View.Width / 2;
    const int margin = 24;
    const int x = circleOnTheLeft ? area.right() - width() - margin : area.left() + margin;
    const int y = area.top() + std::max(0, (area.height() - height()) / 2);
    move(x, y);
}

void TCircleAttributesDialog::Refresh() {
    TCircleDialog* m = Model();
    for (auto& [f, edit] : fields_) {
        const bool on = m && m->Enabled(f);
        edit->setEnabled(on);
        labels_[f]->setEnabled(on);
        edit->setText(m ? Number(m->Value(f), TCircleDialog::Spec(f).Decimals) : QString());
    }
    for (auto& [t, check] : checks_) {
        check->setEnabled(m && m->ToggleEnabled(t));
        check->setChecked(m && m->Toggle(t));
    }
}

void TCircleAttributesDialog::Entered(TCircleField f) {
    TCircleDialog* m = Model();
    // Focus leaving a box as the dialog closes has nothing to enter any more.
    if (!m || m->State() != TCircleDialog::TState::Open) return;
    QLineEdit* edit = fields_[f];
    const QString text = edit->text().trimmed();
    if (text == Number(m->Value(f), TCircleDialog::Spec(f).Decimals)) return; // nothing typed
    bool ok = false;
    double v = QLocale::c().toDouble(text, &ok);
    if (!ok) v = QLocale().toDouble(text, &ok);
    // A refused entry (not a number, out of range) shows the previous value again.
    const bool accepted = ok && m->SetValue(f, v) == TApply::Accepted;
    Refresh();
    if (accepted && Changed) Changed();
}

void TCircleAttributesDialog::Clicked(TCircleToggle t, bool on) {
    TCircleDialog* m = Model();
    if (m && m->State() == TCircleDialog::TState::Open) m->SetToggle(t, on);
    Refresh();
    if (Changed) Changed();
}

void TCircleAttributesDialog::reject() {
    // The question decides: No keeps the dialog open on the circle.
    if (TCircleDialog* m = Model(); m && m->State() == TCircleDialog::TState::Open && !m->Cancel()) return;
    if (Changed) Changed();
    QDialog::reject();
}

} // namespace nl
