#include "gui/SupportDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "ui/HoopPresets.h"
#include "ui/SupportPage.h"

namespace nl {

// ---- Frame Sizes ----

TFrameSizesDialog::TFrameSizesDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle("Frame Sizes");
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    int tabIndex = 0;
    for (const THoopTab& tab : HoopTabs()) {
        auto* page = new QWidget(tabs_);
        auto* col = new QVBoxLayout(page);
        auto* group = new QButtonGroup(page);
        int i = 0;
        for (const THoopPreset& p : tab.Presets) {
            auto* b = new QRadioButton(QString::fromUtf8(p.Caption), page);
            group->addButton(b, i++);
            col->addWidget(b);
        }
        if (tab.Presets.empty()) col->addWidget(new QLabel("The frame keeps its size.", page));
        col->addStretch();
        connect(group, &QButtonGroup::idClicked, this, [this, tabIndex](int id) {
            if (refreshing_ || !nl_.FrameSizes()) return;
            nl_.FrameSizes()->Choose(tabIndex, id);
            Refresh();
        });
        groups_.push_back(group);
        tabs_->addTab(page, QString::fromUtf8(tab.Caption));
        ++tabIndex;
    }
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (refreshing_ || !nl_.FrameSizes()) return;
        nl_.FrameSizes()->SetTab(tab);
        Refresh();
    });
    layout->addWidget(tabs_);
    swap_ = new QCheckBox("Swap Hoop Axes", this);
    connect(swap_, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_ || !nl_.FrameSizes()) return;
        nl_.FrameSizes()->SetSwapped(on);
        Refresh();
    });
    layout->addWidget(swap_);
    info_ = new QLabel(this);
    info_->setFrameShape(QFrame::Panel);
    info_->setFrameShadow(QFrame::Sunken);
    layout->addWidget(info_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrameSizesDialog::reject);
    layout->addWidget(buttons);
}

QAbstractButton* TFrameSizesDialog::Preset(int tab, int index) const {
    if (tab < 0 || tab >= static_cast<int>(groups_.size())) return nullptr;
    return groups_[static_cast<size_t>(tab)]->button(index);
}

void TFrameSizesDialog::Refresh() {
    TFrameSizes* m = nl_.FrameSizes();
    if (!m) return;
    refreshing_ = true;
    tabs_->setCurrentIndex(m->Tab());
    for (size_t t = 0; t < groups_.size(); ++t) {
        QButtonGroup* g = groups_[t];
        g->setExclusive(false);
        for (QAbstractButton* b : g->buttons())
            b->setChecked(static_cast<int>(t) == m->Tab() && g->id(b) == m->Preset());
        g->setExclusive(true);
    }
    swap_->setChecked(m->Swapped());
    info_->setText(QString::fromUtf8(m->InfoLine()));
    refreshing_ = false;
    if (Changed) Changed();
}

void TFrameSizesDialog::Run() {
    if (!nl_.FrameSizes()) return;
    Refresh();
    exec();
}

void TFrameSizesDialog::reject() {
    if (nl_.FrameSizes()) nl_.FrameSizes()->Cancel();
    if (Changed) Changed();
    QDialog::reject();
}

// ---- the support object properties ----

TSupportPropertiesDialog::TSupportPropertiesDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle("Object Properties");
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(TSupportPage::Caption, this);
    QFont f = caption->font();
    f.setBold(true);
    caption->setFont(f);
    layout->addWidget(caption);
    body_ = new QWidget(this);
    rows_ = new QVBoxLayout(body_);
    rows_->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(body_);
    auto* close = new QPushButton("Close", this);
    connect(close, &QPushButton::clicked, this, &QDialog::hide);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void TSupportPropertiesDialog::Build() {
    // A fresh body for the page's object kind.
    delete body_;
    body_ = new QWidget(this);
    rows_ = new QVBoxLayout(body_);
    rows_->setContentsMargins(0, 0, 0, 0);
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, body_);
    fields_.clear();
    checks_.clear();
    buttons_.clear();
    TSupportPage* page = nl_.SupportPage();
    if (!page) return;
    auto* grid = new QGridLayout();
    int row = 0;
    const auto& fields = TSupportPage::Fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!page->Applies(i)) continue;
        grid->addWidget(new QLabel(QString::fromStdString(fields[i].Caption), body_), row, 0);
        auto* edit = new QLineEdit(body_);
        edit->setMaximumWidth(90);
        grid->addWidget(edit, row, 1);
        grid->addWidget(new QLabel(QString::fromStdString(fields[i].Unit), body_), row, 2);
        connect(edit, &QLineEdit::editingFinished, this, [this, i, edit] {
            if (refreshing_ || !nl_.SupportPage()) return;
            bool ok = false;
            const double v = edit->text().toDouble(&ok);
            if (ok) nl_.EditSupport("Properties", [&] { nl_.SupportPage()->Apply(i, v); });
            Refresh(); // a refused entry shows the old value again
        });
        fields_.push_back({static_cast<int>(i), edit});
        ++row;
    }
    rows_->addLayout(grid);
    const auto& toggles = TSupportPage::Toggles();
    for (size_t i = 0; i < toggles.size(); ++i) {
        if (!page->ToggleApplies(i)) continue;
        const QString text = QString::fromStdString(toggles[i].Caption);
        QAbstractButton* box = toggles[i].OneOf ? static_cast<QAbstractButton*>(new QRadioButton(text, body_))
                                                : new QCheckBox(text, body_);
        connect(box, &QAbstractButton::toggled, this, [this, i](bool on) {
            if (refreshing_ || !nl_.SupportPage()) return;
            nl_.EditSupport("Properties", [&] { nl_.SupportPage()->SetToggle(i, on); });
            Refresh();
        });
        rows_->addWidget(box);
        checks_.push_back({static_cast<int>(i), box});
    }
    auto button = [&](const std::string& caption, std::function<void()> run) {
        auto* b = new QPushButton(QString::fromStdString(caption), body_);
        connect(b, &QPushButton::clicked, this, [this, run, caption] {
            nl_.EditSupport(caption.c_str(), run);
            Refresh();
        });
        rows_->addWidget(b);
        buttons_.push_back(b);
    };
    TObjectBase& o = page->Target();
    if (o.Kind == SUPPORT_FRAME) {
        button("Change Frame Size", [this] {
            if (nl_.SupportPage()) nl_.ChangeFrameSize(nl_.SupportPage()->Target());
        });
    } else if (o.Kind == SUPPORT_PICTURE) {
        button("Import Image", [this] {
            if (nl_.SupportPage()) nl_.ImportImage(static_cast<TObjectBitmap&>(nl_.SupportPage()->Target()));
        });
        button("Rotate 90", [this] { nl_.SupportPage()->Orient(TObjectBitmap::TOrient::Rotate90); });
        button("Mirror Horizontal", [this] { nl_.SupportPage()->Orient(TObjectBitmap::TOrient::MirrorH); });
        button("Mirror Vertical", [this] { nl_.SupportPage()->Orient(TObjectBitmap::TOrient::MirrorV); });
    } else if (o.Kind == SUPPORT_TEXT_LABEL) {
        button("Edit Text ...", [this] {
            TSupportPage* p = nl_.SupportPage();
            bool ok = false;
            const QString text = QInputDialog::getMultiLineText(this, "Edit Text", "Memo",
                                                                QString::fromStdString(p->MemoText()), &ok);
            if (ok && nl_.SupportPage()) nl_.SupportPage()->SetMemoText(text.toStdString());
        });
        button("Font ...", [this] {
            if (nl_.SupportPage()) nl_.SupportPage()->ChooseFont(nl_.GetHost());
        });
        button(page->LockCaption(), [this] {
            if (nl_.SupportPage()) nl_.SupportPage()->ToggleLock(nl_.Sew.Current());
            if (!buttons_.empty())
                buttons_.back()->setText(QString::fromStdString(nl_.SupportPage()->LockCaption()));
        });
    }
    rows_->addStretch();
}

void TSupportPropertiesDialog::Refresh() {
    TSupportPage* page = nl_.SupportPage();
    if (!page) return;
    refreshing_ = true;
    const auto& fields = TSupportPage::Fields();
    for (auto& [i, edit] : fields_)
        edit->setText(QString::number(page->Value(static_cast<size_t>(i)), 'f',
                                      fields[static_cast<size_t>(i)].Decimals));
    for (auto& [i, box] : checks_)
        box->setChecked(page->ToggleValue(static_cast<size_t>(i)));
    refreshing_ = false;
    if (Changed) Changed();
}

void TSupportPropertiesDialog::ShowPage() {
    Build();
    Refresh();
    adjustSize();
    show();
    raise();
}

QLineEdit* TSupportPropertiesDialog::Field(const std::string& caption) const {
    for (auto& [i, edit] : fields_)
        if (TSupportPage::Fields()[static_cast<size_t>(i)].Caption == caption) return edit;
    return nullptr;
}
QAbstractButton* TSupportPropertiesDialog::Check(const std::string& caption) const {
    for (auto& [i, box] : checks_)
        if (TSupportPage::Toggles()[static_cast<size_t>(i)].Caption == caption) return box;
    return nullptr;
}
QPushButton* TSupportPropertiesDialog::Button(const std::string& caption) const {
    for (QPushButton* b : buttons_)
        if (b->text().toStdString() == caption) return b;
    return nullptr;
}

} // namespace nl
