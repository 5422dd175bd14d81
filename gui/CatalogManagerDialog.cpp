#include "gui/CatalogManagerDialog.h"

#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Folders.h"
#include "core/Colour.h"
#include "gui/RowList.h"
#include "threads/CatalogFolder.h"

namespace nl {

namespace {
constexpr int DROPPER_RESULT = 3;
constexpr int ROW_HEIGHT = 21;

QColor Qc(int32_t c) {
    return QColor(ColourR(c), ColourG(c), ColourB(c));
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

void Header(QPainter& p, const QRect& r, std::initializer_list<std::pair<int, const char*>> columns) {
    p.fillRect(r, QColor(0xEC, 0xEC, 0xEC));
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.setPen(Qt::black);
    for (auto& [x, title] : columns)
        p.drawText(QRect(r.left() + x, r.top(), r.width() - x, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                   title);
}
} // namespace

// ---- the small dialogs ----

TCatalogNamesDialog::TCatalogNamesDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Edit Manufacturer And Thread Type");
    auto* form = new QFormLayout(this);
    manufacturer_ = new QLineEdit(this);
    type_ = new QLineEdit(this);
    manufacturer_->setMinimumWidth(240);
    form->addRow("Manufacturer", manufacturer_);
    form->addRow("Thread Type", type_);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TCatalogNamesDialog::Ask(std::string& manufacturer, std::string& threadType) {
    manufacturer_->setText(Q(manufacturer));
    type_->setText(Q(threadType));
    manufacturer_->setFocus();
    if (exec() != QDialog::Accepted) return false;
    manufacturer = manufacturer_->text().toStdString();
    threadType = type_->text().toStdString();
    return true;
}

TFindRecordDialog::TFindRecordDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Find Color Record");
    auto* form = new QFormLayout(this);
    text_ = new QLineEdit(this);
    text_->setMinimumWidth(220);
    form->addRow("Search Text", text_);
    auto* box = new QDialogButtonBox(this);
    box->addButton("Find", QDialogButtonBox::AcceptRole)->setDefault(true);
    box->addButton("Cancel", QDialogButtonBox::RejectRole);
    form->addRow(box);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

bool TFindRecordDialog::Ask(std::string& text) {
    text_->selectAll();
    text_->setFocus();
    if (exec() != QDialog::Accepted) return false;
    text = text_->text().toStdString();
    return true;
}

// ---- the manager ----

TCatalogManagerDialog::TCatalogManagerDialog(Host& host, std::function<std::string()> folder, QWidget* parent)
    : QDialog(parent), model_(host), folder_(std::move(folder)) {
    setWindowTitle("Catalog Color Manager");
    names_ = new TCatalogNamesDialog(this);
    find_ = new TFindRecordDialog(this);
    auto button = [this](const std::string& group, const char* caption, auto action) {
        auto* b = new QPushButton(caption, this);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] {
            action();
            Refresh();
        });
        buttons_.emplace_back(group + "/" + caption, b);
        return b;
    };

    auto* top = new QVBoxLayout(this);
    auto* columns = new QHBoxLayout;
    top->addLayout(columns, 1);

    // Catalogs.
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 0);
    catalogList_ = new TRowList(this);
    catalogList_->SetRowHeight(ROW_HEIGHT);
    catalogList_->SetHeaderHeight(ROW_HEIGHT);
    catalogList_->setMinimumSize(300, 10 * ROW_HEIGHT);
    catalogList_->PaintHeader = [](QPainter& p, const QRect& r) {
        Header(p, r, {{2, "Use"}, {27, "Manufacturer"}, {156, "Thread Type"}});
    };
    catalogList_->PaintRow = [this](QPainter& p, int row, const QRect& r, bool current) {
        const TCatData& c = model_.Catalogs()[static_cast<size_t>(row)];
        p.fillRect(r, current ? Qc(0xFF0000) : QColor(Qt::white));
        QRect box(r.left() + 6, r.top() + 4, 13, 13);
        p.fillRect(box, Qt::white);
        p.setPen(Qt::black);
        p.drawRect(box);
        if (c.Enabled) {
            QPen tick(Qt::black, 2);
            p.setPen(tick);
            p.drawLine(box.left() + 3, box.center().y(), box.center().x() - 1, box.bottom() - 3);
            p.drawLine(box.center().x() - 1, box.bottom() - 3, box.right() - 2, box.top() + 3);
        }
        p.setPen(current ? Qt::white : Qt::black);
        p.drawText(QRect(r.left() + 27, r.top(), 125, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                   Q(c.Manufacturer));
        p.drawText(QRect(r.left() + 156, r.top(), r.width() - 158, r.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, Q(c.ThreadType));
    };
    catalogList_->Clicked = [this](int row, const QPoint& at) {
        // While a thread is being edited the list stays where it is (the model says why).
        if (!model_.SelectCatalog(row)) {
            Refresh();
            return;
        }
        if (at.x() >= 0 && at.x() < 24)
            model_.SetEnabled(row, !model_.Catalogs()[static_cast<size_t>(row)].Enabled);
        Refresh();
    };
    left->addWidget(catalogList_, 1);
    auto* catalogButtons = new QHBoxLayout;
    catalogButtons->addWidget(button("", "Up", [this] { model_.Move(-1); }));
    catalogButtons->addWidget(button("", "Down", [this] { model_.Move(1); }));
    catalogButtons->addStretch(1);
    catalogButtons->addWidget(button("catalogs", "New Entry", [this] {
        std::string m, t;
        bool ok = AskNames ? AskNames(m, t) : names_->Ask(m, t);
        if (ok) model_.NewCatalog(m, t);
    }));
    catalogButtons->addWidget(button("catalogs", "Edit Existing", [this] {
        const TCatData* c = model_.SelectedCatalog();
        if (!c) return;
        std::string m = c->Manufacturer, t = c->ThreadType;
        bool ok = AskNames ? AskNames(m, t) : names_->Ask(m, t);
        if (ok) model_.RenameSelected(m, t);
    }));
    catalogButtons->addWidget(button("catalogs", "Delete", [this] { model_.DeleteSelectedCatalog(); }));
    left->addLayout(catalogButtons);
    left->addWidget(new QLabel("Information", this));
    info_ = new QPlainTextEdit(this);
    info_->setFixedHeight(90);
    connect(info_, &QPlainTextEdit::textChanged, this, [this] {
        if (!refreshing_) model_.SetInfoText(info_->toPlainText().toStdString());
    });
    left->addWidget(info_);

    // Threads of the selected catalog.
    auto* right = new QVBoxLayout;
    columns->addLayout(right, 1);
    entryList_ = new TRowList(this);
    entryList_->SetRowHeight(ROW_HEIGHT);
    entryList_->SetHeaderHeight(ROW_HEIGHT);
    entryList_->setMinimumSize(420, 12 * ROW_HEIGHT);
    entryList_->PaintHeader = [](QPainter& p, const QRect& r) {
        Header(p, r, {{5, "Color"}, {67, "Number"}, {186, "Description"}});
    };
    entryList_->PaintEmpty = [this](QPainter& p, const QRect& r) {
        if (model_.SelectedCatalog()) return;
        p.setPen(Qt::black);
        p.drawText(r.adjusted(8, 6, 0, 0), Qt::AlignTop | Qt::AlignLeft,
                   "Select A Manufacturer From The List On The Left");
    };
    entryList_->PaintRow = [this](QPainter& p, int row, const QRect& r, bool current) {
        const TCD& e = model_.Entry(static_cast<size_t>(row));
        p.fillRect(r, current ? Qc(0x0000FF) : QColor(Qt::white));
        QRect swatch(r.left() + 5, r.top() + 3, 25, r.height() - 6);
        p.fillRect(swatch, Qc(e.Colour));
        p.setPen(Qt::black);
        p.setBrush(Qt::NoBrush);
        p.drawRect(swatch);
        p.setPen(current ? Qt::white : Qt::black);
        p.drawText(QRect(r.left() + 67, r.top(), 115, r.height()), Qt::AlignVCenter | Qt::AlignLeft,
                   Q(e.CatalogNumber));
        p.drawText(QRect(r.left() + 186, r.top(), r.width() - 188, r.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, Q(e.Description));
    };
    entryList_->Clicked = [this](int row, const QPoint&) {
        model_.SelectEntry(row);
        Refresh();
    };
    entryList_->DoubleClicked = [this](int row) {
        model_.SelectEntry(row);
        model_.EditEntry();
        Refresh();
    };
    right->addWidget(entryList_, 1);
    auto* entryButtons = new QHBoxLayout;
    entryButtons->addWidget(button("entries", "New Entry", [this] { model_.NewEntry(); }));
    entryButtons->addWidget(button("entries", "Edit Existing", [this] { model_.EditEntry(); }));
    entryButtons->addWidget(button("entries", "Commit", [this] {
        StoreFields();
        model_.Commit();
    }));
    entryButtons->addWidget(button("entries", "Insert", [this] {
        StoreFields();
        model_.Insert();
    }));
    entryButtons->addWidget(button("entries", "Cancel", [this] { model_.CancelEdit(); }));
    entryButtons->addWidget(button("entries", "Delete", [this] { model_.DeleteEntry(); }));
    entryButtons->addWidget(button("entries", "Find", [this] {
        std::string text;
        bool ok = AskSearch ? AskSearch(text) : find_->Ask(text);
        if (ok) model_.Find(text);
    }));
    right->addLayout(entryButtons);

    auto* fields = new QGridLayout;
    description_ = new QLineEdit(this);
    number_ = new QLineEdit(this);
    // The texts go to the thread being edited as they are typed, so no refresh can lose them.
    connect(description_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!refreshing_) model_.Fields().Description = t.toStdString();
    });
    connect(number_, &QLineEdit::textChanged, this, [this](const QString& t) {
        if (!refreshing_) model_.Fields().CatalogNumber = t.toStdString();
    });
    fields->addWidget(new QLabel("Description", this), 0, 0);
    fields->addWidget(description_, 0, 1, 1, 7);
    fields->addWidget(new QLabel("Catalog Number", this), 1, 0);
    fields->addWidget(number_, 1, 1, 1, 2);
    const char* channelNames[] = {"R", "G", "B"};
    auto* colourRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        channels_[i] = new QLineEdit(this);
        channels_[i]->setFixedWidth(48);
        colourRow->addWidget(new QLabel(channelNames[i], this));
        colourRow->addWidget(channels_[i]);
        colourRow->addSpacing(8);
        connect(channels_[i], &QLineEdit::editingFinished, this, [this, i] {
            if (refreshing_) return;
            bool ok = false;
            int v = channels_[i]->text().trimmed().toInt(&ok);
            // A value outside 0..255 is refused: the box shows the value it had.
            if (ok) model_.SetChannel(i, v);
            Refresh();
        });
    }
    swatch_ = new QLabel(this);
    swatch_->setFixedSize(60, 24);
    swatch_->setFrameShape(QFrame::Box);
    swatch_->setAutoFillBackground(true);
    colourRow->addWidget(swatch_);
    colourRow->addWidget(button("", "Dropper", [this] { done(DROPPER_RESULT); }));
    colourRow->addStretch(1);
    fields->addWidget(new QLabel("Color", this), 2, 0);
    fields->addLayout(colourRow, 2, 1, 1, 7);
    right->addLayout(fields);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(button("", "OK", [this] { TryClose(); }));
    top->addLayout(bottom);
    resize(900, 560);
}

QPushButton* TCatalogManagerDialog::Button(const std::string& group, const std::string& caption) const {
    for (auto& [key, b] : buttons_)
        if (key == group + "/" + caption) return b;
    return nullptr;
}

QLineEdit* TCatalogManagerDialog::Field(const std::string& caption) const {
    if (caption == "Description") return description_;
    if (caption == "Catalog Number") return number_;
    if (caption == "R") return channels_[0];
    if (caption == "G") return channels_[1];
    if (caption == "B") return channels_[2];
    return nullptr;
}

void TCatalogManagerDialog::StoreFields() {
    auto& f = model_.Fields();
    f.Description = description_->text().toStdString();
    f.CatalogNumber = number_->text().toStdString();
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        int v = channels_[i]->text().trimmed().toInt(&ok);
        if (ok) model_.SetChannel(i, v);
    }
}

void TCatalogManagerDialog::ShowFields() {
    const auto& f = model_.Fields();
    const bool editing = model_.Editing() != TCatalogManager::TEditing::None;
    description_->setText(editing ? Q(f.Description) : QString());
    number_->setText(editing ? Q(f.CatalogNumber) : QString());
    const int32_t v[] = {f.R, f.G, f.B};
    for (int i = 0; i < 3; ++i) {
        channels_[i]->setText(editing ? QString::number(v[i]) : QString());
        channels_[i]->setEnabled(editing);
    }
    description_->setEnabled(editing);
    number_->setEnabled(editing);
    QPalette pal = swatch_->palette();
    pal.setColor(QPalette::Window, editing ? Qc(f.Colour()) : palette().color(QPalette::Window));
    swatch_->setPalette(pal);
}

void TCatalogManagerDialog::Refresh() {
    refreshing_ = true;
    catalogList_->SetRowCount(static_cast<int>(model_.Catalogs().size()));
    catalogList_->SetCurrent(model_.Selected());
    entryList_->SetRowCount(static_cast<int>(model_.EntryCount()));
    entryList_->SetCurrent(model_.SelectedEntry());
    catalogList_->viewport()->update();
    entryList_->viewport()->update();
    info_->setEnabled(model_.InfoEnabled());
    if (info_->toPlainText().toStdString() != model_.InfoText()) info_->setPlainText(Q(model_.InfoText()));
    ShowFields();
    const bool editing = model_.Editing() != TCatalogManager::TEditing::None;
    const bool locked = model_.CatalogsLocked();
    Button("", "Up")->setEnabled(model_.CanMove(-1));
    Button("", "Down")->setEnabled(model_.CanMove(1));
    Button("catalogs", "New Entry")->setEnabled(!locked);
    Button("catalogs", "Edit Existing")->setEnabled(!locked && model_.SelectedCatalog());
    Button("catalogs", "Delete")->setEnabled(model_.CanDeleteCatalog());
    Button("entries", "New Entry")->setEnabled(model_.CanNewEntry());
    Button("entries", "Edit Existing")->setEnabled(model_.CanEditEntry());
    Button("entries", "Commit")->setEnabled(editing);
    Button("entries", "Insert")->setEnabled(model_.CanInsert());
    Button("entries", "Cancel")->setEnabled(editing);
    Button("entries", "Delete")->setEnabled(model_.CanDeleteEntry());
    Button("entries", "Find")->setEnabled(model_.CanFind());
    Button("", "Dropper")->setEnabled(editing && TakeWorksheetColour != nullptr);
    refreshing_ = false;
}

void TCatalogManagerDialog::Start() {
    model_.Open(CatalogFolder(folder_()));
    Refresh();
    show();
}

void TCatalogManagerDialog::Run() {
    // Once: while its dropper waits for a click the manager is hidden, not closed.
    if (running_) {
        raise();
        return;
    }
    running_ = true;
    model_.Open(CatalogFolder(folder_()));
    Refresh();
    while (exec() == DROPPER_RESULT) {
        // The manager steps aside while the user clicks an object of the worksheet.
        StoreFields();
        int32_t taken = TakeWorksheetColour ? TakeWorksheetColour() : NO_COLOUR;
        model_.SetFieldColour(taken);
        Refresh();
    }
    running_ = false;
}

void TCatalogManagerDialog::TryClose() {
    StoreFields();
    if (model_.Close()) accept();
}

void TCatalogManagerDialog::reject() {
    // Escape asks as "OK" does: an edit in progress or unsaved changes are never dropped unasked.
    TryClose();
}

void TCatalogManagerDialog::closeEvent(QCloseEvent* e) {
    // The close box asks as "OK" does.
    e->ignore();
    TryClose();
}

} // namespace nl
