#include "gui/GeneralDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/Preferences.h"

namespace nl {

TGeneralDialog::TGeneralDialog(const TGeneralOptions& values, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Nordelune Properties");
    auto* tabs = new QTabWidget(this);
    auto* page = new QWidget;
    auto* form = new QVBoxLayout(page);

    auto* lengths = new QGroupBox("Stitch Lengths", page);
    auto* lf = new QFormLayout(lengths);
    maxLength_ = new QDoubleSpinBox(lengths);
    maxLength_->setRange(8.0, 20.0);
    maxLength_->setDecimals(2);
    maxLength_->setSuffix(" mm");
    maxLength_->setValue(values.MaxLengthMm);
    lf->addRow("Max Length", maxLength_);
    pointsUnder_ = new QDoubleSpinBox(lengths);
    pointsUnder_->setRange(0.2, 1.0);
    pointsUnder_->setDecimals(2);
    pointsUnder_->setSingleStep(0.05);
    pointsUnder_->setSuffix(" mm");
    pointsUnder_->setValue(values.PointsUnderMm);
    lf->addRow("Points Under", pointsUnder_);
    form->addWidget(lengths);

    auto* recovery = new QGroupBox("Recovery Of Unsaved Work", page);
    auto* rf = new QFormLayout(recovery);
    autosave_ = new QSpinBox(recovery);
    autosave_->setRange(0, AUTOSAVE_MAX_MINUTES);
    autosave_->setSuffix(" min");
    autosave_->setSpecialValueText("Off");
    autosave_->setValue(values.AutosaveMinutes);
    rf->addRow("Keep A Copy Every", autosave_);
    auto* note = new QLabel("While a worksheet has unsaved changes, a copy is kept in your data folder.\n"
                            "After a crash it is offered back at the next start. 0 switches it off.",
                            recovery);
    note->setWordWrap(true);
    rf->addRow(note);
    form->addWidget(recovery);
    form->addStretch();
    tabs->addTab(page, "General");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* top = new QVBoxLayout(this);
    top->addWidget(tabs);
    top->addWidget(buttons);
}

TGeneralOptions TGeneralDialog::Values() const {
    TGeneralOptions v;
    v.MaxLengthMm = maxLength_->value();
    v.PointsUnderMm = pointsUnder_->value();
    v.AutosaveMinutes = autosave_->value();
    return v;
}

} // namespace nl
