#include "gui/MainWindow.h"

#include <cstdlib>

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QSplashScreen>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolBar>

#include "core/Colour.h"
#include "gui/CatalogManagerDialog.h"
#include "gui/CatalogViewerDialog.h"
#include "gui/CircleAttributesDialog.h"
#include "gui/OrderPanel.h"
#include "gui/PatternViewerDialog.h"
#include "gui/PropertiesDialog.h"
#include "gui/RegionToolBar.h"
#include "gui/SimulatorWindow.h"
#include "gui/SupportDialogs.h"
#include "gui/TransformDialogs.h"
#include "gui/WorksheetView.h"
#include "ui/StatusBar.h"

namespace nl {

namespace {
// Tool bar layout: commands in button order; TCommand::Count_ separates groups.
constexpr TCommand kSep = TCommand::Count_;
const TCommand kTopBar[] = {TCommand::ModeLayoutButton,
                            TCommand::ModeEditButton,
                            TCommand::ModeRegionButton,
                            TCommand::ModeConnectButton,
                            TCommand::ModeOrderButton,
                            kSep,
                            TCommand::Undo,
                            TCommand::Redo,
                            kSep,
                            TCommand::SewHighlighted,
                            TCommand::ExportButton,
                            TCommand::ImportButton,
                            TCommand::GroupSelection,
                            TCommand::MirrorVertical,
                            TCommand::MirrorHorizontal,
                            TCommand::RotateMode,
                            TCommand::AutoShowProperties,
                            kSep,
                            TCommand::SuppressCompensation,
                            TCommand::HideBoundaryPoints,
                            TCommand::HideUnderStitching,
                            TCommand::HideFillPoints,
                            TCommand::Mode3D,
                            TCommand::HideOutlineStitches,
                            TCommand::HideRegionStitches,
                            TCommand::HighlightLongSatin,
                            TCommand::HideUnderlay,
                            kSep,
                            TCommand::PatternViewerButton,
                            TCommand::ColourPalletButton};
const TCommand kCreateBar[] = {
    TCommand::CreateOutline,        TCommand::CreateDirect,   TCommand::CreateColumn, TCommand::CreateLine,
    TCommand::CreateCircle,         TCommand::CreateText,     TCommand::CreateFrame,  TCommand::CreatePicture,
    TCommand::CreatePatternCreator, TCommand::CreateTextLabel};

// The icon drawing of each tool button (gui/icons/<name>.svg, compiled into the program).
const char* IconName(TCommand id) {
    switch (id) {
    case TCommand::ModeLayoutButton:
        return "mode-layout";
    case TCommand::ModeEditButton:
        return "mode-edit";
    case TCommand::ModeRegionButton:
        return "mode-region";
    case TCommand::ModeConnectButton:
        return "mode-connect";
    case TCommand::ModeOrderButton:
        return "mode-order";
    case TCommand::SewHighlighted:
        return "sew";
    case TCommand::ExportButton:
        return "export";
    case TCommand::ImportButton:
        return "import";
    case TCommand::GroupSelection:
        return "group";
    case TCommand::MirrorVertical:
        return "mirror-vertical";
    case TCommand::MirrorHorizontal:
        return "mirror-horizontal";
    case TCommand::RotateMode:
        return "rotate";
    case TCommand::AutoShowProperties:
        return "auto-properties";
    case TCommand::SuppressCompensation:
        return "suppress-compensation";
    case TCommand::HideBoundaryPoints:
        return "hide-boundary-points";
    case TCommand::HideUnderStitching:
        return "hide-under-stitching";
    case TCommand::HideFillPoints:
        return "hide-fill-points";
    case TCommand::Mode3D:
        return "mode-3d";
    case TCommand::HideOutlineStitches:
        return "hide-outline-stitches";
    case TCommand::HideRegionStitches:
        return "hide-region-stitches";
    case TCommand::HighlightLongSatin:
        return "highlight-long-satin";
    case TCommand::HideUnderlay:
        return "hide-underlay";
    case TCommand::PatternViewerButton:
        return "pattern-viewer";
    case TCommand::ColourPalletButton:
        return "colour-pallet";
    case TCommand::Undo:
        return "undo";
    case TCommand::Redo:
        return "redo";
    case TCommand::CreateOutline:
        return "create-outline";
    case TCommand::CreateDirect:
        return "create-direct";
    case TCommand::CreateColumn:
        return "create-column";
    case TCommand::CreateLine:
        return "create-line";
    case TCommand::CreateCircle:
        return "create-circle";
    case TCommand::CreateText:
        return "create-text";
    case TCommand::CreateFrame:
        return "create-frame";
    case TCommand::CreatePicture:
        return "create-picture";
    case TCommand::CreatePatternCreator:
        return "create-pattern";
    case TCommand::CreateTextLabel:
        return "create-label";
    default:
        return nullptr;
    }
}
} // namespace

QString ToolIconPath(TCommand id) {
    const char* name = IconName(id);
    return name ? QString(":/icons/%1.svg").arg(name) : QString();
}

QIcon ToolIcon(TCommand id) {
    QSvgRenderer svg(ToolIconPath(id));
    if (!svg.isValid()) return {};
    // Drawn at the tool bar's size and at twice it for high-density screens; the disabled look
    // is made from these by the style.
    QIcon icon;
    for (int size : {24, 48}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        svg.render(&p, QRectF(0, 0, size, size));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

TMainWindow::TMainWindow(std::vector<std::string> args, QWidget* parent)
    : QMainWindow(parent), args_(std::move(args)) {
    // Creating the main window created the worksheet and entered Design And Editing mode.
    DesktopHost.Window = this;
    setWindowTitle(QString::fromStdString(Nl.Caption()));
    view_ = new TWorksheetView(Nl, this);
    setCentralWidget(view_);
    DesktopHost.View = view_;

    prompt_ = new QLabel(this);
    status_ = new QLabel(this);
    zoom_ = new QLabel(this);
    statusBar()->addWidget(prompt_, 3);
    statusBar()->addWidget(status_, 2);
    pointer_ = new QLabel(this);
    // Room for a long position, so the labels beside it do not shift as the pointer moves.
    pointer_->setMinimumWidth(pointer_->fontMetrics().horizontalAdvance(" X -0000.00 mm   Y -0000.00 mm "));
    size_ = new QLabel(this);
    counts_ = new QLabel(this);
    statusBar()->addPermanentWidget(pointer_);
    statusBar()->addPermanentWidget(size_);
    statusBar()->addPermanentWidget(counts_);
    statusBar()->addPermanentWidget(zoom_);
    DesktopHost.PromptLabel = prompt_;
    DesktopHost.StatusLabel = status_;
    DesktopHost.OnCommandStateChanged = [this] { RefreshCommands(); };

    properties_ = new TPropertiesDialog(Nl, this);
    properties_->Changed = [this] { view_->update(); };
    DesktopHost.Properties = properties_;

    circleDialog_ = new TCircleAttributesDialog(Nl, this);
    circleDialog_->Changed = [this] { view_->update(); };
    DesktopHost.CircleDialog = circleDialog_;
    DesktopHost.RotateDialogRunner = [this] {
        TRotateObjectDialog d(Nl, this);
        d.Changed = [this] { view_->update(); };
        d.exec();
    };
    DesktopHost.ResizeDialogRunner = [this] {
        TResizeObjectDialog d(Nl, this);
        d.Changed = [this] { view_->update(); };
        d.exec();
    };

    frameSizes_ = new TFrameSizesDialog(Nl, this);
    frameSizes_->Changed = [this] { view_->update(); };
    DesktopHost.FrameSizesDialog = frameSizes_;
    supportProperties_ = new TSupportPropertiesDialog(Nl, this);
    supportProperties_->Changed = [this] { view_->update(); };
    DesktopHost.SupportProperties = supportProperties_;
    patternViewer_ = new TPatternViewerDialog(Nl, this);
    DesktopHost.PatternViewer = patternViewer_;

    auto programFolder = [this] { return DesktopHost.ProgramFolder(); };
    catalogViewer_ = new TCatalogViewerDialog(DesktopHost, Nl.Threads, programFolder, this);
    catalogViewer_->TakeWorksheetColour = [this] { return TakeWorksheetColour(); };
    catalogViewer_->Closed = [this] { RefreshCommands(); };
    DesktopHost.CatalogViewer = catalogViewer_;
    catalogManager_ = new TCatalogManagerDialog(DesktopHost, programFolder, this);
    catalogManager_->TakeWorksheetColour = [this] { return TakeWorksheetColour(); };
    DesktopHost.CatalogManager = catalogManager_;

    simulator_ = new TSimulatorWindow(Nl.Simulator(), this);
    addDockWidget(Qt::RightDockWidgetArea, simulator_);
    simulator_->hide();
    simulator_->OnExit = [this] {
        Nl.ExitSimulation();
        view_->update();
        view_->setFocus();
    };
    DesktopHost.Simulator = simulator_;

    orderPanel_ = new TOrderPanel(Nl, this);
    addDockWidget(Qt::RightDockWidgetArea, orderPanel_);
    orderPanel_->hide();
    orderPanel_->PickColour = [this](int32_t preset) {
        return DesktopHost.PickThreadColour(preset, false, {});
    };
    orderPanel_->AfterChange = [this] {
        RefreshCommands();
        view_->update();
    };
    DesktopHost.OrderPanel = orderPanel_;

    BuildMenus();
    BuildToolBars();
    regionBar_ = new TRegionToolBar(Nl, this);
    addToolBar(Qt::BottomToolBarArea, regionBar_);
    regionBar_->AfterPress = [this] {
        RefreshCommands();
        view_->update();
    };
    view_->OnPress = [this] {
        if (splash_) splash_->close();
    };
    view_->AfterEvent = [this] { RefreshCommands(); };
    view_->PointerMoved = [this](int x, int y) {
        pointer_->setText(
            QString::fromStdString(" " + PointerText(Nl.View.WorldX(x), Nl.View.WorldY(y)) + " "));
    };
    // Recovery copies of unsaved work: the controller decides whether there is anything to copy.
    autosave_ = new QTimer(this);
    connect(autosave_, &QTimer::timeout, this, [this] { Nl.Autosave(); });
    resize(1100, 760);
    RefreshCommands();
    view_->setFocus();
}

TMainWindow::~TMainWindow() {
    // The window's parts go before the controller (a base made first): only the command refresh,
    // which reaches the widgets, stops now.
    DesktopHost.OnCommandStateChanged = nullptr;
    if (splash_) splash_->close();
}

QAction* TMainWindow::Action(TCommand id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

QAction* TMainWindow::MakeAction(const TCommandInfo& info) {
    if (QAction* a = Action(info.Id)) return a;
    auto* a = new QAction(QString::fromUtf8(info.Caption ? info.Caption : info.Hint), this);
    if (info.Shortcut) a->setShortcut(QKeySequence(QString::fromUtf8(info.Shortcut)));
    // Redo answers both common keys.
    if (info.Id == TCommand::Redo)
        a->setShortcuts(
            {QKeySequence(QStringLiteral("Ctrl+Y")), QKeySequence(QStringLiteral("Ctrl+Shift+Z"))});
    if (info.Hint) {
        a->setToolTip(QString::fromUtf8(info.Hint));
        a->setStatusTip(QString::fromUtf8(info.Hint));
        a->setIcon(ToolIcon(info.Id));
    }
    a->setCheckable(info.Kind != TCommandKind::Action);
    a->setIconVisibleInMenu(false);
    TCommand id = info.Id;
    connect(a, &QAction::triggered, this, [this, id] {
        Nl.Execute(id);
        RefreshCommands();
        view_->update();
    });
    actions_[id] = a;
    return a;
}

void TMainWindow::BuildMenus() {
    for (const TMenuInfo& m : MenuTable()) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(m.Caption));
        for (const TCommandInfo& c : CommandTable())
            if (c.Menu && std::string_view(c.Menu) == m.Caption) menu->addAction(MakeAction(c));
        // The text menu exists but is not shown in this release.
        menu->menuAction()->setVisible(m.Visible);
        // The Edit menu re-evaluates its items each time it opens.
        connect(menu, &QMenu::aboutToShow, this, [this] { RefreshCommands(); });
    }
}

namespace {
// A pressed toggle or the button of the current mode stands out from the others.
constexpr const char* kToolBarStyle = "QToolButton { padding: 2px; border: 1px solid transparent; }"
                                      "QToolButton:hover { border: 1px solid #9aaccc; border-radius: 3px; }"
                                      "QToolButton:checked { background: #c9dcf5; border: 1px solid #3f6fb5;"
                                      " border-radius: 3px; }";
} // namespace

void TMainWindow::BuildToolBars() {
    QToolBar* top = addToolBar("Tools");
    top->setStyleSheet(kToolBarStyle);
    top->setIconSize(QSize(24, 24));
    top->setMovable(false);
    for (TCommand id : kTopBar) {
        if (id == kSep)
            top->addSeparator();
        else
            top->addAction(MakeAction(CommandInfo(id)));
    }
    QToolBar* create = new QToolBar("Create", this);
    addToolBar(Qt::LeftToolBarArea, create);
    create->setStyleSheet(kToolBarStyle);
    create->setIconSize(QSize(24, 24));
    create->setMovable(false);
    for (TCommand id : kCreateBar)
        create->addAction(MakeAction(CommandInfo(id)));
}

void TMainWindow::RefreshCommands() {
    // The title follows the unsaved changes; an autosave tick that came during an edit is taken.
    Nl.EventDone();
    for (auto& [id, a] : actions_) {
        a->setEnabled(Nl.IsEnabled(id));
        if (id == TCommand::Undo || id == TCommand::Redo) {
            const QString caption = QString::fromStdString(Nl.CommandCaption(id));
            a->setText(caption);
            a->setToolTip(caption);
        }
        if (a->isCheckable()) a->setChecked(Nl.IsChecked(id));
    }
    zoom_->setText(QString(" %1 % ").arg(Nl.View.Zoom));
    UpdateMeasurements();
    UpdateAutosaveTimer();
    if (regionBar_) regionBar_->Refresh();
    // The properties window follows the current object and shows its values after every change.
    if (properties_) properties_->Sync();
}

void TMainWindow::UpdateMeasurements() {
    const TDesignSummary s = Summarise(Nl.Sew, Nl.SelectionBit());
    size_->setText(QString::fromStdString(" " + SizeText(s) + " "));
    counts_->setText(QString::fromStdString(" " + CountsText(s) + " "));
}

void TMainWindow::UpdateAutosaveTimer() {
    if (!autosave_) return;
    int ms = Nl.Preferences.AutosaveMinutes * 60 * 1000;
    // NL_AUTOSAVE_SECONDS: a short interval for trying the recovery by hand.
    if (const char* s = std::getenv("NL_AUTOSAVE_SECONDS"); s && ms > 0)
        ms = std::max(1, std::atoi(s)) * 1000;
    if (ms <= 0 || Nl.Recovery.Folder.empty()) {
        autosave_->stop();
    } else if (!autosave_->isActive() || autosave_->interval() != ms) {
        autosave_->start(ms);
    }
}

void TMainWindow::ShowSplash() {
    QPixmap pm(420, 240);
    pm.fill(QColor(28, 52, 88));
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(240, 200, 90), 2));
        QPainterPath path(QPointF(30, 190));
        for (int i = 0; i < 12; ++i)
            path.lineTo(QPointF(40 + i * 30, i % 2 ? 200 : 170));
        p.drawPath(path);
        QFont f = p.font();
        f.setPixelSize(44);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(0, 40, 420, 70), Qt::AlignCenter, "Nordelune");
        f.setPixelSize(15);
        f.setBold(false);
        p.setFont(f);
        p.drawText(QRectF(0, 110, 420, 30), Qt::AlignCenter, "Embroidery design and digitizing");
    }
    splash_ = new QSplashScreen(pm);
    splash_->setAttribute(Qt::WA_DeleteOnClose);
    QRect g = frameGeometry();
    splash_->move(g.x() + (g.width() - pm.width()) / 2, g.y() + g.height() / 2 + 30 - pm.height() / 2);
    splash_->show();
}

int32_t TMainWindow::TakeWorksheetColour() {
    if (dropperLoop_) return NO_COLOUR;
    QEventLoop loop;
    int32_t colour = NO_COLOUR;
    const QString prompt = prompt_->text();
    prompt_->setText("  Click On A Stitch Object To Take Its Color ( Right Click Or Escape To Cancel )");
    const QCursor cursor = view_->cursor();
    view_->setCursor(Qt::PointingHandCursor);
    view_->Intercept = [&](int x, int y, bool left) {
        if (left) colour = Nl.ColourAt(x, y);
        loop.quit();
    };
    dropperLoop_ = &loop;
    activateWindow();
    view_->setFocus();
    loop.exec();
    dropperLoop_ = nullptr;
    view_->Intercept = nullptr;
    view_->setCursor(cursor);
    prompt_->setText(prompt);
    return colour;
}

void TMainWindow::closeEvent(QCloseEvent* e) {
    // Closing while the dropper waits for its click ends the dropper first.
    if (dropperLoop_) {
        dropperLoop_->quit();
        e->ignore();
        return;
    }
    if (Nl.CanClose()) {
        if (splash_) splash_->close();
        // A clean exit: the recovery copy goes.
        Nl.Closing();
        e->accept();
    } else {
        e->ignore();
    }
}

void TMainWindow::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (shown_) return;
    shown_ = true;
    // After the window is on screen, so that messages of the start-up have a parent to sit on.
    QTimer::singleShot(0, this, [this] {
        Nl.FirstShow(args_);
        RefreshCommands();
    });
}

} // namespace nl
