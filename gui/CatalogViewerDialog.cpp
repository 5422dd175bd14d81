#include "gui/CatalogViewerDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/Folders.h"
#include "gui/RowList.h"
#include "threads/CatalogFolder.h"

namespace nl {

namespace {
constexpr int DROPPER_RESULT = 3;
constexpr int ROW_HEIGHT = 21;
constexpr int SWATCH_WIDTH = 108;
constexpr int COLOUR_COLUMN = 110;
constexpr int NUMBER_COLUMN = 90;

QColor Qc(int32_t c) {
    return QColor(ColourR(c), ColourG(c), ColourB(c));
}

QFont ListFont() {
    // The catalogs were laid out in Times New Roman; a metric-compatible serif stands in for it.
    QFont f("Times New Roman");
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(15);
    return f;
}
} // namespace

TCatalogViewerDialog::TCatalogViewerDialog(Host& host, TThreadSettings& settings,
                                           std::function<std::string()> folder, QWidget* parent)
    : QDialog(parent), model_(host, settings), folder_(std::move(folder)) {
    setWindowTitle("Color Catalog Viewer");
    auto* top = new QVBoxLayout(this);

    auto* row = new QHBoxLayout;
    catalogs_ = new QComboBox(this);
    catalogs_->setMinimumWidth(260);
    infoButton_ = new QPushButton("Info", this);
    row->addWidget(catalogs_, 1);
    row->addWidget(infoButton_);
    top->addLayout(row);

    auto* sortRow = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const std::pair<TThreadSort, const char*> sorts[] = {
        {TThreadSort::Colour, "Color"}, {TThreadSort::Number, "Number"}, {TThreadSort::Name, "Name"}};
    for (int i = 0; i < 3; ++i) {
        sorts_[i] = new QRadioButton(sorts[i].second, this);
        group->addButton(sorts_[i]);
        sortRow->addWidget(sorts_[i]);
        const TThreadSort s = sorts[i].first;
        connect(sorts_[i], &QRadioButton::toggled, this, [this, s](bool on) {
            if (!on || filling_) return;
            model_.SetSort(s);
            Refresh();
        });
    }
    sortRow->addStretch(1);
    bestMatch_ = new QCheckBox("Best Match", this);
    bestMatch_->setChecked(true);
    sortRow->addWidget(bestMatch_);
    top->addLayout(sortRow);

    list_ = new TRowList(this);
    list_->SetRowHeight(ROW_HEIGHT);
    list_->SetHeaderHeight(ROW_HEIGHT);
    list_->setMinimumSize(430, 12 * ROW_HEIGHT);
    list_->PaintHeader = [](QPainter& p, const QRect& r) {
        p.fillRect(r, QColor(0xEC, 0xEC, 0xEC));
        p.setFont(ListFont());
        p.setPen(Qt::black);
        const int x[] = {0, COLOUR_COLUMN, COLOUR_COLUMN + NUMBER_COLUMN, r.width()};
        const char* titles[] = {"Color", "Number", "Name"};
        for (int i = 0; i < 3; ++i) {
            QRect cell(x[i], r.top(), x[i + 1] - x[i], r.height());
            p.drawText(cell.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, titles[i]);
            p.setPen(QColor(0xA0, 0xA0, 0xA0));
            p.drawLine(cell.topRight(), cell.bottomRight());
            p.drawLine(cell.bottomLeft(), cell.bottomRight());
            p.setPen(Qt::black);
        }
    };
    list_->PaintRow = [this](QPainter& p, int row, const QRect& r, bool current) {
        const TCD& e = model_.Row(static_cast<size_t>(row));
        p.fillRect(r, current ? QColor(0xD8, 0xD8, 0xD8) : Qc(0x00E8FFFE));
        p.fillRect(QRect(r.left() + 1, r.top() + 2, SWATCH_WIDTH - 2, r.height() - 4), Qc(e.Colour));
        p.setFont(ListFont());
        p.setPen(Qt::black);
        p.drawText(QRect(r.left() + COLOUR_COLUMN + 4, r.top(), NUMBER_COLUMN - 6, r.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(e.CatalogNumber));
        p.drawText(QRect(r.left() + COLOUR_COLUMN + NUMBER_COLUMN + 4, r.top(),
                         r.width() - COLOUR_COLUMN - NUMBER_COLUMN - 6, r.height()),
                   Qt::AlignVCenter | Qt::AlignLeft, QString::fromStdString(e.Description));
        if (current) {
            p.setPen(Qt::black);
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    };
    list_->Clicked = [this](int row, const QPoint&) {
        model_.Click(row);
        SelectionChanged();
    };
    list_->DoubleClicked = [this](int row) {
        model_.Click(row);
        SelectionChanged();
        if (model_.Modal()) done(PICK_OK);
    };
    top->addWidget(list_, 1);

    auto* buttons = new QHBoxLayout;
    applyButton_ = new QPushButton("Apply", this);
    dropper_ = new QPushButton("Dropper", this);
    rgb_ = new QPushButton("RGB ...", this);
    ok_ = new QPushButton("OK", this);
    cancel_ = new QPushButton("Cancel", this);
    buttons->addWidget(applyButton_);
    buttons->addWidget(dropper_);
    buttons->addWidget(rgb_);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    top->addLayout(buttons);
    ok_->setDefault(true);

    info_ = new QDialog(this);
    info_->setWindowTitle("Thread Information");
    infoText_ = new QPlainTextEdit(info_);
    infoText_->setReadOnly(true);
    (new QVBoxLayout(info_))->addWidget(infoText_);
    info_->resize(360, 200);

    connect(catalogs_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (filling_ || i < 0) return;
        model_.SelectCatalog(i);
        Refresh();
    });
    connect(bestMatch_, &QCheckBox::toggled, this, [this](bool on) {
        if (filling_) return;
        model_.SetBestMatch(on);
        Refresh();
    });
    connect(infoButton_, &QPushButton::clicked, this, [this] {
        infoText_->setPlainText(QString::fromStdString(model_.Info()));
        info_->setWindowTitle("Thread Information");
        info_->show();
        info_->raise();
    });
    connect(applyButton_, &QPushButton::clicked, this, [this] {
        if (apply_) apply_(model_.ApplyColour());
    });
    connect(dropper_, &QPushButton::clicked, this, [this] { done(DROPPER_RESULT); });
    connect(rgb_, &QPushButton::clicked, this, [this] { done(PICK_RGB); });
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (model_.Modal())
            done(PICK_OK);
        else
            hide();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] { done(PICK_CANCEL); });
    resize(520, 520);
}

TCatalogViewerDialog::~TCatalogViewerDialog() = default;

QRadioButton* TCatalogViewerDialog::SortButton(TThreadSort sort) const {
    return sorts_[sort == TThreadSort::Colour ? 0 : sort == TThreadSort::Number ? 1 : 2];
}

QPushButton* TCatalogViewerDialog::Button(const std::string& caption) const {
    for (QPushButton* b : {applyButton_, dropper_, rgb_, ok_, cancel_, infoButton_})
        if (b->text().toStdString() == caption) return b;
    return nullptr;
}

bool TCatalogViewerDialog::Fill(bool modal, int32_t preset, bool dropper) {
    if (!model_.Open(CatalogFolder(folder_()), modal, preset, dropper && TakeWorksheetColour != nullptr))
        return false;
    filling_ = true;
    catalogs_->clear();
    for (const TCatData& c : model_.Catalogs())
        catalogs_->addItem(QString::fromStdString(c.Title()));
    catalogs_->setCurrentIndex(model_.CatalogIndex());
    SortButton(model_.Sort())->setChecked(true);
    bestMatch_->setChecked(model_.BestMatchOn());
    filling_ = false;
    // Picking is for the modal viewer; from the menu the viewer only shows the threads.
    for (QWidget* w : {static_cast<QWidget*>(applyButton_), static_cast<QWidget*>(cancel_),
                       static_cast<QWidget*>(bestMatch_), static_cast<QWidget*>(rgb_)})
        w->setEnabled(modal);
    dropper_->setEnabled(model_.DropperAllowed());
    Refresh();
    return true;
}

void TCatalogViewerDialog::Refresh() {
    list_->SetRowCount(static_cast<int>(model_.Rows()));
    SelectionChanged();
    if (info_->isVisible()) infoText_->setPlainText(QString::fromStdString(model_.Info()));
}

void TCatalogViewerDialog::SelectionChanged() {
    list_->SetCurrent(model_.Selection());
}

TCatalogViewerDialog::TPick TCatalogViewerDialog::Pick(int32_t preset, bool dropper,
                                                       const std::function<void(int32_t)>& apply) {
    // One pick at a time: while the dropper waits for its click, the tool bar could ask again.
    if (picking_) return {};
    if (isVisible()) hide();
    if (!Fill(true, preset, dropper)) return {};
    picking_ = true;
    apply_ = apply;
    int result;
    while ((result = exec()) == DROPPER_RESULT) {
        // The viewer steps aside while the user clicks an object of the worksheet.
        int32_t taken = TakeWorksheetColour ? TakeWorksheetColour() : NO_COLOUR;
        if (taken != NO_COLOUR) model_.SetPreset(taken);
        Refresh();
    }
    apply_ = nullptr;
    picking_ = false;
    info_->hide();
    TPick pick;
    pick.Result = result == PICK_OK || result == PICK_RGB ? result : PICK_CANCEL;
    pick.Colour = model_.SelectedColour();
    return pick;
}

int32_t TCatalogViewerDialog::PickColour(int32_t preset, bool dropper,
                                         const std::function<void(int32_t)>& apply) {
    TPick pick = Pick(preset, dropper, apply);
    if (pick.Result == PICK_OK) return pick.Colour;
    if (pick.Result != PICK_RGB) return NO_COLOUR;
    if (RgbDialog) return RgbDialog(preset);
    QColor c = QColorDialog::getColor(preset == NO_COLOUR ? QColor(Qt::white) : Qc(preset), parentWidget());
    return c.isValid() ? MakeColour(c.red(), c.green(), c.blue()) : NO_COLOUR;
}

void TCatalogViewerDialog::ShowFreeStanding() {
    if (picking_) return;
    if (isVisible() && !isModal()) {
        raise();
        activateWindow();
        return;
    }
    if (!Fill(false, NO_COLOUR, false)) return;
    setModal(false);
    show();
    raise();
}

void TCatalogViewerDialog::reject() {
    // Escape or the close box: Cancel for a pick, closing for the free-standing viewer.
    if (isModal())
        done(PICK_CANCEL);
    else
        hide();
}

void TCatalogViewerDialog::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    info_->hide();
    if (!isModal() && Closed) Closed();
}

} // namespace nl
