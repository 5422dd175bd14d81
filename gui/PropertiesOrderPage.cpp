// The "Stitch Ordering" page of the properties window: the order mode's display options. They are
// worksheet settings: a change marks the worksheet modified and redraws it; the objects are not
// touched.
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
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

#include "app/MainForm.h"
#include "core/Colour.h"
#include "gui/PropertiesDialog.h"
#include "ui/OrderOptionsPage.h"

namespace nl {

namespace {
constexpr const char* kCaptionProperty = "nlCaption";

QIcon ColourSwatch(int32_t c) {
    QPixmap swatch(40, 14);
    swatch.fill(QColor(ColourR(c), ColourG(c), ColourB(c)));
    QPainter p(&swatch);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 39, 13);
    return QIcon(swatch);
}
} // namespace

void TPropertiesDialog::BuildOrderOptions() {
    auto* page = new QWidget;
    tabs_->addTab(page, TOrderOptionsPage::Caption);
    auto* v = new QVBoxLayout(page);
    TWorksheetSettings& settings = nl_.Sew.Settings;
    const int gen = generation_;
    // Every accepted change: the worksheet keeps it and the view redraws.
    auto changed = [this] {
        ShowRefusal("");
        nl_.Sew.MarkModified();
        for (auto& r : refreshers_)
            r();
        if (Changed) Changed();
    };

    // The look of the elements not yet sewn: one of four.
    auto* look = new QGroupBox("Unsewn Elements", page);
    auto* lv = new QHBoxLayout(look);
    auto* group = new QButtonGroup(look);
    const auto& toggles = TOrderOptionsPage::Toggles();
    for (size_t i = 0; i < toggles.size(); ++i) {
        const bool choice = i < TOrderOptionsPage::kChoices;
        QAbstractButton* b =
            choice
                ? static_cast<QAbstractButton*>(new QRadioButton(QString::fromStdString(toggles[i].Caption)))
                : static_cast<QAbstractButton*>(new QCheckBox(QString::fromStdString(toggles[i].Caption)));
        b->setProperty(kCaptionProperty, QString::fromStdString(toggles[i].Caption));
        if (choice) {
            group->addButton(b);
            lv->addWidget(b);
        }
        refreshers_.push_back([b, i, &settings] {
            const QSignalBlocker block(b);
            b->setChecked(TOrderOptionsPage(settings).ToggleValue(i));
        });
        connect(b, &QAbstractButton::clicked, this, [this, gen, i, &settings, changed](bool on) {
            if (gen != generation_) return;
            TOrderOptionsPage(settings).SetToggle(i, on);
            changed();
        });
        if (i + 1 == TOrderOptionsPage::kChoices) v->addWidget(look);
        if (!choice) v->addWidget(b);
    }

    // The connector thickness and the two connector colours.
    auto* grid = new QGridLayout;
    const auto& field = TOrderOptionsPage::Fields()[0];
    auto* edit = new QLineEdit(page);
    edit->setProperty(kCaptionProperty, QString::fromStdString(field.Caption));
    edit->setAlignment(Qt::AlignRight);
    edit->setMaximumWidth(110);
    grid->addWidget(new QLabel(QString::fromStdString(field.Caption), page), 0, 0);
    grid->addWidget(edit, 0, 1);
    grid->addWidget(new QLabel(QString::fromStdString(field.Unit), page), 0, 2);
    refreshers_.push_back([edit, &settings] {
        edit->setText(QLocale::c().toString(TOrderOptionsPage(settings).Value(0), 'f', 0));
    });
    connect(edit, &QLineEdit::editingFinished, this, [this, gen, edit, &settings, changed, &field] {
        if (gen != generation_) return;
        bool ok = false;
        const QString text = edit->text().trimmed();
        const double value = QLocale::c().toDouble(text, &ok);
        if (!ok || TOrderOptionsPage(settings).Apply(0, value) != TApply::Accepted) {
            edit->setText(QLocale::c().toString(TOrderOptionsPage(settings).Value(0), 'f', 0));
            ShowRefusal(ok ? field.Refusal(text.toStdString())
                           : NumberRefusal(field.Caption, text.toStdString()));
            return;
        }
        changed();
    });
    auto colourRow = [&](int row, const char* caption, bool in) {
        auto* button = new QPushButton("Color", page);
        button->setProperty(kCaptionProperty, caption);
        button->setIconSize(QSize(40, 14));
        button->setAutoDefault(false);
        grid->addWidget(new QLabel(caption, page), row, 0);
        grid->addWidget(button, row, 1);
        refreshers_.push_back([button, in, &settings] {
            TOrderOptionsPage m(settings);
            button->setIcon(ColourSwatch(in ? m.InColour() : m.OutColour()));
        });
        connect(button, &QPushButton::clicked, this, [this, gen, in, caption, &settings, changed] {
            if (gen != generation_) return;
            TOrderOptionsPage m(settings);
            const int32_t c = in ? m.InColour() : m.OutColour();
            const QColor chosen =
                QColorDialog::getColor(QColor(ColourR(c), ColourG(c), ColourB(c)), this, caption);
            if (!chosen.isValid() || gen != generation_) return;
            const int32_t value = MakeColour(chosen.red(), chosen.green(), chosen.blue());
            TOrderOptionsPage page(settings);
            if (in)
                page.SetInColour(value);
            else
                page.SetOutColour(value);
            changed();
        });
    };
    colourRow(1, TOrderOptionsPage::OutColourCaption, false);
    colourRow(2, TOrderOptionsPage::InColourCaption, true);
    v->addLayout(grid);
    v->addStretch(1);
}

} // namespace nl
