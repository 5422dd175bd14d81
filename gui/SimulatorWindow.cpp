#include "gui/SimulatorWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "gui/QtCanvas.h"
#include "sewing/SewSimulator.h"

namespace nl {

namespace {

QIcon Swatch(int32_t colour, int size = 14) {
    QPixmap pm(size, size);
    pm.fill(TQtCanvas::ToQColor(colour));
    QPainter p(&pm);
    p.setPen(QColor(60, 60, 70));
    p.drawRect(0, 0, size - 1, size - 1);
    return QIcon(pm);
}

QString Hex(int32_t c) {
    return QString("%1%2%3")
        .arg(ColourR(c), 2, 16, QChar('0'))
        .arg(ColourG(c), 2, 16, QChar('0'))
        .arg(ColourB(c), 2, 16, QChar('0'))
        .toUpper();
}

// A number as the fields show it: whole numbers without a fraction.
QString Number(double v) {
    return v == std::floor(v) ? QString::number(static_cast<int64_t>(v)) : QString::number(v, 'g', 10);
}

} // namespace

TSimulatorWindow::TSimulatorWindow(TSewSimulator& simulator, QWidget* parent)
    : QDockWidget("Sewing Simulator", parent), sim_(simulator) {
    setObjectName("SewingSimulator");
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    PickColour = [this](int32_t& colour, const QString& title) {
        QColor c = QColorDialog::getColor(TQtCanvas::ToQColor(colour), this, title);
        if (!c.isValid()) return false;
        colour = MakeColour(c.red(), c.green(), c.blue());
        return true;
    };

    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);

    // Play / Pause and Rewind, then stepping by colour block and by stitch.
    auto* transport = new QHBoxLayout;
    play_ = Button("play", "Play", "Play", QStyle::SP_MediaPlay);
    play_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    play_->setMinimumWidth(72);
    rewind_ = Button("rewind", "Rewind", "Restart Sew Simulation", QStyle::SP_MediaSkipBackward);
    rewind_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    blockBack_ = Button("blockBack", "", "Next Color Block (Back)", QStyle::SP_MediaSeekBackward);
    back_ = Button("back", "", "Stitch Back One", QStyle::SP_ArrowLeft);
    forward_ = Button("forward", "", "Stitch Forward One", QStyle::SP_ArrowRight);
    blockForward_ = Button("blockForward", "", "Next Color Block", QStyle::SP_MediaSeekForward);
    for (QToolButton* b : {play_, rewind_, blockBack_, back_, forward_, blockForward_})
        transport->addWidget(b);
    transport->addStretch();
    column->addLayout(transport);

    slider_ = new QSlider(Qt::Horizontal, body);
    slider_->setObjectName("slider");
    slider_->setToolTip("Sewn Up To This Stitch");
    column->addWidget(slider_);

    auto* fields = new QFormLayout;
    number_ = new QLineEdit(body);
    number_->setObjectName("stitchNumber");
    number_->setToolTip("Go To This Stitch");
    fields->addRow("Stitch", number_);
    speed_ = new QLineEdit(body);
    speed_->setObjectName("speed");
    speed_->setToolTip("1 To 10000");
    fields->addRow("Stitches Per Second", speed_);
    column->addLayout(fields);

    auto* view = new QGroupBox("View", body);
    auto* vl = new QGridLayout(view);
    points_ = new QCheckBox("Show Stitching Points", view);
    points_->setObjectName("showPoints");
    inView_ = new QCheckBox("Keep Stitching In View", view);
    inView_->setObjectName("keepInView");
    jumps_ = new QComboBox(view);
    jumps_->setObjectName("jumps");
    jumps_->addItems({"Dashed", "Thin", "Hidden"});
    background_ = new QPushButton("Background Color", view);
    background_->setObjectName("background");
    needle_ = new QPushButton("Needle Color", view);
    needle_->setObjectName("needle");
    vl->addWidget(points_, 0, 0, 1, 2);
    vl->addWidget(inView_, 1, 0, 1, 2);
    vl->addWidget(new QLabel("Jump Stitches", view), 2, 0);
    vl->addWidget(jumps_, 2, 1);
    vl->addWidget(background_, 3, 0);
    vl->addWidget(needle_, 3, 1);
    column->addWidget(view);

    auto* design = new QGroupBox("Design", body);
    auto* dl = new QFormLayout(design);
    stitches_ = new QLabel(design);
    stitches_->setObjectName("stitchCount");
    blocks_ = new QLabel(design);
    blocks_->setObjectName("blockCount");
    auto* current = new QHBoxLayout;
    swatch_ = new QLabel(design);
    swatch_->setObjectName("blockSwatch");
    block_ = new QLabel(design);
    block_->setObjectName("block");
    current->addWidget(swatch_);
    current->addWidget(block_, 1);
    size_ = new QLabel(design);
    size_->setObjectName("size");
    dl->addRow("Stitches", stitches_);
    dl->addRow("Color Blocks", blocks_);
    dl->addRow("Current Block", current);
    dl->addRow("Size", size_);
    column->addWidget(design);

    status_ = new QLabel(body);
    status_->setObjectName("status");
    status_->setFrameShape(QFrame::StyledPanel);
    column->addWidget(status_);
    exit_ = new QPushButton("Exit", body);
    exit_->setObjectName("exit");
    exit_->setToolTip("Exit Sew Simulation Mode");
    column->addWidget(exit_);
    column->addStretch();
    setWidget(body);

    connect(play_, &QToolButton::clicked, this, [this] { sim_.PlayPause(); });
    connect(rewind_, &QToolButton::clicked, this, [this] { sim_.Rewind(); });
    connect(back_, &QToolButton::clicked, this, [this] { sim_.StepBack(); });
    connect(forward_, &QToolButton::clicked, this, [this] { sim_.StepForward(); });
    connect(blockBack_, &QToolButton::clicked, this, [this] { sim_.PreviousBlock(); });
    connect(blockForward_, &QToolButton::clicked, this, [this] { sim_.NextBlock(); });
    connect(slider_, &QSlider::valueChanged, this, [this](int v) { sim_.GoToStitch(v); });
    connect(number_, &QLineEdit::editingFinished, this, [this] {
        // Leaving the field without typing in it changes nothing.
        if (!number_->isModified()) return;
        bool ok = false;
        const double v = number_->text().trimmed().toDouble(&ok);
        // A number out of range goes to the nearest end; anything else leaves the cursor. The
        // field then shows the stitch the cursor is on.
        if (ok) sim_.GoToStitch(v);
        number_->setText(sim_.IsOpen() ? QString::number(sim_.Cursor() + 1) : "");
    });
    connect(speed_, &QLineEdit::editingFinished, this, [this] {
        if (!speed_->isModified()) return;
        bool ok = false;
        const double v = speed_->text().trimmed().toDouble(&ok);
        // A refused speed leaves the previous one in the field.
        if (ok) sim_.SetSpeed(v);
        speed_->setText(Number(sim_.Speed()));
    });
    connect(points_, &QCheckBox::toggled, this, [this](bool on) {
        sim_.Settings.ShowPoints = on;
        sim_.SettingsChanged();
    });
    connect(inView_, &QCheckBox::toggled, this, [this](bool on) {
        sim_.Settings.KeepInView = on;
        sim_.SettingsChanged();
    });
    connect(jumps_, &QComboBox::currentIndexChanged, this, [this](int i) {
        sim_.Settings.Jumps = static_cast<TJumpLook>(std::clamp(i, 0, 2));
        sim_.SettingsChanged();
    });
    connect(background_, &QPushButton::clicked, this, [this] { ChooseColour(true); });
    connect(needle_, &QPushButton::clicked, this, [this] { ChooseColour(false); });
    connect(exit_, &QPushButton::clicked, this, [this] {
        if (OnExit) OnExit();
    });
    Refresh();
}

QToolButton* TSimulatorWindow::Button(const QString& name, const QString& text, const QString& hint,
                                      int icon) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    b->setIcon(style()->standardIcon(static_cast<QStyle::StandardPixmap>(icon)));
    b->setAutoRaise(false);
    return b;
}

void TSimulatorWindow::ChooseColour(bool background) {
    int32_t c = background ? sim_.Settings.Background : sim_.Settings.NeedleColour;
    if (!PickColour || !PickColour(c, background ? "Background Color" : "Needle Color")) return;
    (background ? sim_.Settings.Background : sim_.Settings.NeedleColour) = c & 0x00FFFFFF;
    sim_.SettingsChanged();
}

void TSimulatorWindow::Refresh() {
    const bool open = sim_.IsOpen();
    const int32_t count = sim_.Count();
    play_->setText(QString::fromStdString(sim_.PlayCaption()));
    play_->setToolTip(play_->text());
    play_->setIcon(style()->standardIcon(sim_.Playing() ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    play_->setEnabled(open);
    rewind_->setEnabled(sim_.RewindEnabled());
    back_->setEnabled(sim_.BackEnabled());
    blockBack_->setEnabled(sim_.BackEnabled());
    forward_->setEnabled(sim_.ForwardEnabled());
    blockForward_->setEnabled(sim_.ForwardEnabled());
    {
        const QSignalBlocker b(slider_);
        slider_->setRange(1, std::max(1, count));
        slider_->setValue(sim_.Cursor() + 1);
        slider_->setEnabled(open);
    }
    // A field the user is typing in is left alone until the typing is finished.
    if (!number_->isModified() || sim_.Playing())
        number_->setText(open ? QString::number(sim_.Cursor() + 1) : "");
    number_->setEnabled(open);
    if (!speed_->isModified()) speed_->setText(Number(sim_.Speed()));
    {
        const QSignalBlocker a(points_), b(inView_), c(jumps_);
        points_->setChecked(sim_.Settings.ShowPoints);
        inView_->setChecked(sim_.Settings.KeepInView);
        jumps_->setCurrentIndex(static_cast<int>(sim_.Settings.Jumps));
    }
    background_->setIcon(Swatch(sim_.Settings.Background));
    needle_->setIcon(Swatch(sim_.Settings.NeedleColour));
    const TSimulationList& list = sim_.List();
    stitches_->setText(QString::number(count));
    blocks_->setText(QString::number(list.Blocks().size()));
    if (open) {
        const int32_t colour = sim_.CurrentColour();
        swatch_->setPixmap(Swatch(colour, 16).pixmap(16, 16));
        block_->setText(QString("%1 Of %2   #%3")
                            .arg(sim_.CurrentBlock() + 1)
                            .arg(list.Blocks().size())
                            .arg(Hex(colour)));
        size_->setText(QString("%1 x %2 mm").arg(list.WidthMm(), 0, 'f', 1).arg(list.HeightMm(), 0, 'f', 1));
    } else {
        swatch_->clear();
        block_->clear();
        size_->clear();
    }
    status_->setText(QString::fromStdString(sim_.Status()));
}

void TSimulatorWindow::closeEvent(QCloseEvent* e) {
    // Closing the window is Exit; the mode's end hides it.
    e->ignore();
    if (OnExit) OnExit();
}

void TSimulatorWindow::wheelEvent(QWheelEvent* e) {
    wheelRest_ += e->angleDelta().y();
    while (wheelRest_ >= 120) {
        wheelRest_ -= 120;
        sim_.Wheel(true);
    }
    while (wheelRest_ <= -120) {
        wheelRest_ += 120;
        sim_.Wheel(false);
    }
    e->accept();
}

} // namespace nl
