#include "gui/TransformDialogs.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainForm.h"

namespace nl {

namespace {
QString Number(double v, int decimals) {
    return QLocale::c().toString(v, 'f', decimals);
}
bool Parse(const QLineEdit* e, double& v) {
    bool ok = false;
    v = QLocale::c().toDouble(e->text().trimmed(), &ok);
    return ok;
}
} // namespace

// ---- rotate ----

TRotateObjectDialog::TRotateObjectDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle(TRotateDialog::Title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("Rotation Angle", this));
    angle_ = new QLineEdit(Number(0, 1), this);
    angle_->setAlignment(Qt::AlignRight);
    angle_->setMaximumWidth(100);
    angle_->setToolTip("-360.0 to 360.0 degrees, clockwise");
    row->addWidget(angle_);
    row->addWidget(new QLabel("Degrees", this));
    layout->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton("OK", this);
    cancel_ = new QPushButton("Cancel", this);
    ok_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    connect(angle_, &QLineEdit::editingFinished, this, [this] { Entered(); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        Entered();
        if (auto* m = nl_.RotateDialog()) m->Ok();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
}

void TRotateObjectDialog::Entered() {
    TRotateDialog* m = nl_.RotateDialog();
    if (!m) return;
    double v;
    if (Parse(angle_, v) && v != m->Angle()) {
        m->SetAngle(v);
        if (Changed) Changed();
    }
    angle_->setText(Number(m->Angle(), 1));
}

void TRotateObjectDialog::reject() {
    if (auto* m = nl_.RotateDialog()) m->Cancel();
    if (Changed) Changed();
    QDialog::reject();
}

// ---- resize ----

TResizeObjectDialog::TResizeObjectDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle(TResizeDialog::Title);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    auto add = [&](TResizeField f, const char* caption, const char* unit, int row, int column) {
        auto* e = new QLineEdit(this);
        e->setAlignment(Qt::AlignRight);
        e->setMaximumWidth(90);
        grid->addWidget(new QLabel(caption, this), row, column);
        grid->addWidget(e, row, column + 1);
        grid->addWidget(new QLabel(unit, this), row, column + 2);
        fields_[f] = e;
        connect(e, &QLineEdit::editingFinished, this, [this, f] { Entered(f); });
    };
    add(TResizeField::WidthMm, "Width", "mm", 0, 0);
    add(TResizeField::HeightMm, "Height", "mm", 1, 0);
    add(TResizeField::WidthPercent, "Width", "%", 0, 3);
    add(TResizeField::HeightPercent, "Height", "%", 1, 3);
    fields_[TResizeField::WidthMm]->setToolTip("3.0 to 720.0 mm");
    fields_[TResizeField::HeightMm]->setToolTip("3.0 to 720.0 mm");
    fields_[TResizeField::WidthPercent]->setToolTip("1 to 1000 %");
    fields_[TResizeField::HeightPercent]->setToolTip("1 to 1000 %");
    layout->addLayout(grid);
    constrain_ = new QCheckBox("Constrain Proportions", this);
    envelopes_ = new QCheckBox("Scale Outline Envelopes", this);
    layout->addWidget(constrain_);
    layout->addWidget(envelopes_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton("OK", this);
    reset_ = new QPushButton("Reset", this);
    cancel_ = new QPushButton("Cancel", this);
    for (QPushButton* b : {ok_, reset_, cancel_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);
    connect(constrain_, &QCheckBox::clicked, this, [this](bool on) {
        if (auto* m = nl_.ResizeDialog()) m->Constrain = on;
    });
    connect(envelopes_, &QCheckBox::clicked, this, [this](bool on) {
        if (auto* m = nl_.ResizeDialog()) m->ScaleEnvelopes = on;
    });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (auto* m = nl_.ResizeDialog()) m->Ok();
        accept();
    });
    connect(reset_, &QPushButton::clicked, this, [this] {
        if (auto* m = nl_.ResizeDialog()) m->Reset();
        Refresh();
        if (Changed) Changed();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    Refresh();
}

void TResizeObjectDialog::Refresh() {
    TResizeDialog* m = nl_.ResizeDialog();
    if (!m) return;
    for (auto& [f, e] : fields_) {
        const bool mm = f == TResizeField::WidthMm || f == TResizeField::HeightMm;
        e->setText(Number(m->Value(f), mm ? 1 : 0));
    }
    constrain_->setChecked(m->Constrain);
    envelopes_->setChecked(m->ScaleEnvelopes);
}

void TResizeObjectDialog::Entered(TResizeField f) {
    TResizeDialog* m = nl_.ResizeDialog();
    if (!m) return;
    double v;
    const bool mm = f == TResizeField::WidthMm || f == TResizeField::HeightMm;
    // Only a value that differs from the one shown is a change (leaving a field is not).
    if (Parse(fields_[f], v) && Number(v, mm ? 1 : 0) != Number(m->Value(f), mm ? 1 : 0)) {
        m->Set(f, v);
        if (Changed) Changed();
    }
    Refresh();
}

void TResizeObjectDialog::reject() {
    TResizeDialog* m = nl_.ResizeDialog();
    if (m) {
        m->Cancel();
        Refresh();
        if (Changed) Changed();
        if (!m->Closed()) return; // the user kept the changes open
    }
    QDialog::reject();
}

} // namespace nl
