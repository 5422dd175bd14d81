#include "gui/OrderPanel.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "app/OrderMode.h"
#include "gui/QtCanvas.h"
#include "stitching/SLCurve.h"
#include "ui/ElementThumbnail.h"

namespace nl {

namespace {

QString ElementName(const TSLStitch& o) {
    switch (o.Kind()) {
    case KIND_CURVE: {
        const auto& c = static_cast<const TSLCurve&>(o);
        if (c.IsRail()) return "Curved Column";
        if (c.Jumps && c.Jumps->Count() > 0) return "Jump Linked Outlines";
        return c.Outlines ? "Satin Outline" : "Outline";
    }
    case KIND_REGION:
        return "Fill Region";
    default:
        return "Stitch Object";
    }
}

QIcon Swatch(int32_t colour) {
    QPixmap pm(22, 22);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(colour == NO_COLOUR ? QColor(Qt::lightGray) : TQtCanvas::ToQColor(colour));
    p.drawRect(1, 1, 19, 19);
    return QIcon(pm);
}

QDoubleSpinBox* Field(const char* name, int decimals) {
    auto* b = new QDoubleSpinBox;
    b->setObjectName(name);
    b->setDecimals(decimals);
    b->setKeyboardTracking(false);
    return b;
}

} // namespace

TOrderPanel::TOrderPanel(TNL& nl, QWidget* parent) : QDockWidget("Stitching Order", parent), nl_(nl) {
    setObjectName("StitchingOrder");
    auto* body = new QWidget;
    auto* v = new QVBoxLayout(body);

    list_ = new QListWidget;
    list_->setObjectName("StitchOrderEditor");
    list_->setIconSize(QSize(kThumbnailSize, kThumbnailSize));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setMinimumHeight(160);
    v->addWidget(list_, 1);
    connect(list_, &QListWidget::itemPressed, this, [this](QListWidgetItem* item) {
        if (refreshing_) return;
        const auto mods = QApplication::keyboardModifiers();
        nl_.OrderMode().ClickTile(list_->row(item), (mods & (Qt::ShiftModifier | Qt::ControlModifier)) != 0);
        nl_.OrderChanged();
        Changed();
    });
    connect(list_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
                if (refreshing_) return;
                nl_.OrderMode().Move(start, row > start ? row - 1 : row, true);
                nl_.OrderChanged();
                Changed();
            });
    connect(list_, &QListWidget::customContextMenuRequested, this, &TOrderPanel::ListMenu);

    auto* steps = new QHBoxLayout;
    auto step = [&](const char* name, const QString& text, const QString& hint, auto action) {
        auto* b = new QToolButton;
        b->setObjectName(name);
        b->setText(text);
        b->setToolTip(hint);
        connect(b, &QToolButton::clicked, this, [this, action] {
            action(nl_.OrderMode());
            nl_.OrderChanged();
            Changed();
        });
        steps->addWidget(b);
        return b;
    };
    first_ = step("BlockBack", "|<", "Next Color Block", [](TOrderMode& o) { o.ToStart(); });
    back_ = step("Back", "<", "Stitch Back One", [](TOrderMode& o) { o.Back(); });
    position_ = new QLabel;
    position_->setObjectName("Position");
    position_->setAlignment(Qt::AlignCenter);
    steps->addWidget(position_, 1);
    forward_ = step("Forward", ">", "Stitch Forward One", [](TOrderMode& o) { o.Forward(); });
    last_ = step("BlockForward", ">|", "Next Color Block", [](TOrderMode& o) { o.ToEnd(); });
    v->addLayout(steps);

    pages_ = new QTabWidget;
    // ---- Edit ----
    auto* edit = new QWidget;
    auto* form = new QFormLayout(edit);
    colour_ = new QPushButton("Color ...");
    colour_->setObjectName("Colour");
    form->addRow("Color", colour_);
    connect(colour_, &QPushButton::clicked, this, [this] {
        int32_t preset = nl_.OrderMode().Colour();
        int32_t chosen = PickColour ? PickColour(preset) : NO_COLOUR;
        if (chosen == NO_COLOUR) return;
        nl_.OrderMode().SetColour(chosen);
        Changed();
    });
    density_ = Field("rgDensity", 1);
    under_ = Field("rgUnder", 2);
    rotation_ = Field("rgRotation", 1);
    form->addRow("Density", density_);
    form->addRow("Under", under_);
    form->addRow("Rotation", rotation_);
    for (QDoubleSpinBox* b : {density_, under_, rotation_})
        connect(b, &QDoubleSpinBox::valueChanged, this, [this, b] { FieldEdited(b); });
    auto toggle = [&](QCheckBox* box, auto action) {
        connect(box, &QCheckBox::clicked, this, [this, action] {
            action(nl_.OrderMode());
            nl_.OrderChanged();
            Changed();
        });
    };
    short_ = new QCheckBox("Short Stitch");
    reverse_ = new QCheckBox("St. Reverse");
    return_ = new QCheckBox("St. Return");
    toggle(short_, [](TOrderMode& o) { o.ToggleShortStitch(); });
    toggle(reverse_, [](TOrderMode& o) { o.ToggleReverse(); });
    toggle(return_, [](TOrderMode& o) { o.ToggleReturn(); });
    auto* flags = new QHBoxLayout;
    flags->addWidget(short_);
    flags->addWidget(reverse_);
    flags->addWidget(return_);
    form->addRow(flags);
    clearJump_ = new QPushButton("Clear Jump");
    trim_ = new QPushButton("Insert Trim");
    trim_->setObjectName("Trim");
    simulate_ = new QPushButton("Simulate");
    connect(clearJump_, &QPushButton::clicked, this, [this] {
        nl_.OrderMode().ClearJump();
        nl_.OrderChanged();
        Changed();
    });
    connect(trim_, &QPushButton::clicked, this, [this] {
        nl_.OrderMode().ToggleTrim();
        nl_.OrderChanged();
        Changed();
    });
    connect(simulate_, &QPushButton::clicked, this, [this] {
        nl_.SimulateOrder();
        Changed();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(clearJump_);
    buttons->addWidget(trim_);
    buttons->addWidget(simulate_);
    form->addRow(buttons);
    pages_->addTab(edit, "Edit");

    // ---- Set Jumps ----
    auto* jumps = new QWidget;
    auto* jv = new QVBoxLayout(jumps);
    choice_ = new QButtonGroup(this);
    const char* choices[] = {"Set Entry And Exit", "Set Exit Jumps Only", "Set Entry Jumps Only"};
    for (int i = 0; i < 3; ++i) {
        auto* r = new QRadioButton(choices[i]);
        choice_->addButton(r, i);
        jv->addWidget(r);
    }
    connect(choice_, &QButtonGroup::idClicked, this,
            [this](int id) { nl_.OrderMode().SetChoice(static_cast<TJumpChoice>(id)); });
    auto* marginRow = new QFormLayout;
    margin_ = Field("udMargin", 1);
    marginRow->addRow("Underlay Margin", margin_);
    connect(margin_, &QDoubleSpinBox::valueChanged, this, [this] { FieldEdited(margin_); });
    jv->addLayout(marginRow);
    jumpHint_ = new QLabel;
    jumpHint_->setWordWrap(true);
    jv->addWidget(jumpHint_);
    jv->addStretch(1);
    pages_->addTab(jumps, "Set Jumps");
    connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
        if (refreshing_) return;
        nl_.ShowOrderPage(page == 1 ? TOrderPage::SetJumps : TOrderPage::Edit);
        Changed();
    });
    v->addWidget(pages_);

    auto* options = new QPushButton("Display Options ...");
    options->setObjectName("DisplayOptions");
    options->setToolTip("The Stitch Ordering page: how the order mode draws the design");
    connect(options, &QPushButton::clicked, this, [this] { nl_.ShowOrderOptions(); });
    v->addWidget(options);

    auto* exit = new QPushButton("Exit");
    exit->setObjectName("Exit");
    connect(exit, &QPushButton::clicked, this, [this] {
        nl_.EndOrderMode();
        Changed();
    });
    v->addWidget(exit);
    setWidget(body);
}

void TOrderPanel::closeEvent(QCloseEvent* e) {
    // Closing the panel ends the mode.
    if (nl_.OrderMode().Active()) nl_.EndOrderMode();
    if (AfterChange) AfterChange();
    QDockWidget::closeEvent(e);
}

void TOrderPanel::Changed() {
    Refresh();
    if (AfterChange) AfterChange();
}

void TOrderPanel::FieldEdited(QDoubleSpinBox* box) {
    if (refreshing_) return;
    TOrderMode& o = nl_.OrderMode();
    const double v = box->value();
    if (box == density_)
        o.SetDensity(v);
    else if (box == under_)
        o.SetUnder(v);
    else if (box == rotation_)
        o.SetRotation(v);
    else if (box == margin_)
        o.SetUnderMargin(v);
    nl_.OrderChanged();
    Changed();
}

void TOrderPanel::ListMenu(const QPoint& at) {
    QListWidgetItem* item = list_->itemAt(at);
    if (!item) return;
    const int row = list_->row(item);
    QMenu menu(this);
    QAction* quick = menu.addAction("Quick Set Stitch Order From This Point");
    QAction* top = menu.addAction("Send To Top");
    QAction* bottom = menu.addAction("Send To Bottom");
    QAction* props = menu.addAction("Properties");
    QAction* chosen = menu.exec(list_->viewport()->mapToGlobal(at));
    TOrderMode& o = nl_.OrderMode();
    if (chosen == quick)
        o.SetCursor(row);
    else if (chosen == top)
        o.SendToTop(row);
    else if (chosen == bottom)
        o.SendToBottom(row);
    else if (chosen == props && row < o.Count())
        nl_.ShowProperties(*o.Elements()[static_cast<size_t>(row)]);
    else
        return;
    nl_.OrderChanged();
    Changed();
}

QIcon TOrderPanel::Thumbnail(const TSLStitch& element) {
    const uint64_t key = ThumbnailKey(element);
    if (auto it = thumbs_.find(&element); it != thumbs_.end() && it->second.Key == key)
        return it->second.Icon;
    const TThumbnail t = MakeThumbnail(element, kThumbnailSize);
    QPixmap pm(kThumbnailSize, kThumbnailSize);
    pm.fill(Qt::white);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (const TThumbStroke& s : t.Strokes) {
            p.setPen(QPen(TQtCanvas::ToQColor(s.Colour), 1));
            QPolygon line;
            line.reserve(static_cast<int>(s.XY.size() / 2));
            for (size_t i = 0; i + 1 < s.XY.size(); i += 2)
                line << QPoint(s.XY[i], s.XY[i + 1]);
            if (line.size() == 1)
                p.drawPoint(line[0]);
            else
                p.drawPolyline(line);
        }
        // The element's thread colour along the edge, as the tile showed it before.
        p.setPen(Qt::NoPen);
        const int32_t c = element.GetColor();
        p.setBrush(c == NO_COLOUR ? QColor(Qt::lightGray) : TQtCanvas::ToQColor(c));
        p.drawRect(0, kThumbnailSize - 4, kThumbnailSize, 4);
        p.setPen(QColor(Qt::darkGray));
        p.setBrush(Qt::NoBrush);
        p.drawRect(0, 0, kThumbnailSize - 1, kThumbnailSize - 1);
    }
    ++thumbnailsDrawn_;
    QIcon icon(pm);
    thumbs_[&element] = {key, icon};
    return icon;
}

void TOrderPanel::Refresh() {
    refreshing_ = true;
    const TOrderMode& o = nl_.OrderMode();
    // Thumbnails of objects no longer in the list go (an object's place may be taken by a new one:
    // the key tells the drawing apart anyway).
    if (thumbs_.size() > static_cast<size_t>(2 * o.Count() + 16)) thumbs_.clear();
    list_->clear();
    for (int32_t i = 0; i < o.Count(); ++i) {
        const TSLStitch& e = *o.Elements()[static_cast<size_t>(i)];
        QString text = QString("%1  %2").arg(i + 1).arg(ElementName(e));
        if (e.JumpVia) text += "  (trim)";
        auto* item = new QListWidgetItem(Thumbnail(e), text);
        list_->addItem(item);
        item->setSelected(o.TileSelected(i));
        if (i == o.Cursor()) {
            QFont f = item->font();
            f.setBold(true);
            item->setFont(f);
        }
    }
    if (o.Cursor() < o.Count()) list_->scrollToItem(list_->item(o.Cursor()));
    position_->setText(QString::fromStdString(o.CursorText()));
    first_->setEnabled(o.CanGoBack());
    back_->setEnabled(o.CanGoBack());
    forward_->setEnabled(o.CanGoForward());
    last_->setEnabled(o.CanGoForward());

    const bool have = o.Current() != nullptr;
    colour_->setEnabled(have);
    if (have) colour_->setIcon(Swatch(o.Colour()));
    auto show = [](QDoubleSpinBox* b, const TOrderField& f) {
        b->setEnabled(f.Enabled);
        b->setRange(f.Enabled ? f.Min : 0, f.Enabled ? f.Max : 0);
        b->setSuffix(f.Unit);
        b->setValue(f.Enabled ? f.Value : 0);
    };
    show(density_, o.Density());
    show(under_, o.Under());
    show(rotation_, o.Rotation());
    show(margin_, o.UnderMargin());
    short_->setEnabled(o.CanShortStitch());
    short_->setChecked(o.ShortStitch());
    clearJump_->setEnabled(o.CanClearJump());
    reverse_->setEnabled(o.CanReverse());
    reverse_->setChecked(o.Reversed());
    return_->setEnabled(o.CanReturn());
    return_->setChecked(o.Returns());
    trim_->setEnabled(o.CanTrim());
    trim_->setText(QString::fromStdString(o.TrimCaption()));
    simulate_->setEnabled(o.Count() > 0);
    choice_->button(static_cast<int>(o.Choice()))->setChecked(true);
    pages_->setCurrentIndex(o.Page() == TOrderPage::SetJumps ? 1 : 0);
    switch (o.Kind()) {
    case TElementKind::Region:
        jumpHint_->setText(o.NextIsExit() && o.Choice() == TJumpChoice::EntryAndExit
                               ? "Click the region's path to set its exit."
                               : "Click the region's path to set its entry or exit.");
        break;
    case TElementKind::Outline:
        jumpHint_->setText("Click the outline's nodes to link it or to set where its chain starts.");
        break;
    default:
        jumpHint_->setText("Choose a fill region or an outline to set its jumps.");
        break;
    }
    refreshing_ = false;
}

} // namespace nl
