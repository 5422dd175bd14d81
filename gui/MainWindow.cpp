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
#include <QTimer>
#include <QToolBar>

#include "core/Colour.h"
#include "gui/CatalogManagerDialog.h"
#include "gui/CatalogViewerDialog.h"
#include "gui/CircleAttributesDialog.h"
#include "gui/OrderPanel.h"
#include "gui/PropertiesDialog.h"
#include "gui/RegionToolBar.h"
#include "gui/SimulatorWindow.h"
#include "gui/WorksheetView.h"

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

QString Label(TCommand id) {
    switch (id) {
    case TCommand::ModeLayoutButton:
        return "L";
    case TCommand::ModeEditButton:
        return "E";
    case TCommand::ModeRegionButton:
        return "R";
    case TCommand::ModeConnectButton:
        return "J";
    case TCommand::ModeOrderButton:
        return "O";
    case TCommand::SewHighlighted:
        return "Sim";
    case TCommand::ExportButton:
        return "Exp";
    case TCommand::ImportButton:
        return "Imp";
    case TCommand::GroupSelection:
        return "Grp";
    case TCommand::MirrorVertical:
        return "MV";
    case TCommand::MirrorHorizontal:
        return "MH";
    case TCommand::RotateMode:
        return "Rot";
    case TCommand::AutoShowProperties:
        return "Prp";
    case TCommand::SuppressCompensation:
        return "Cmp";
    case TCommand::HideBoundaryPoints:
        return "BP";
    case TCommand::HideUnderStitching:
        return "US";
    case TCommand::HideFillPoints:
        return "FP";
    case TCommand::Mode3D:
        return "3D";
    case TCommand::HideOutlineStitches:
        return "OS";
    case TCommand::HideRegionStitches:
        return "RS";
    case TCommand::HighlightLongSatin:
        return "LS";
    case TCommand::HideUnderlay:
        return "UL";
    case TCommand::PatternViewerButton:
        return "Pat";
    case TCommand::ColourPalletButton:
        return "Col";
    case TCommand::CreateText:
        return "T";
    case TCommand::CreateTextLabel:
        return "Lbl";
    default:
        return {};
    }
}
} // namespace

QIcon ToolIcon(TCommand id) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 110), 1));
    p.setBrush(QColor(236, 238, 244));
    p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
    QPen ink(QColor(20, 90, 40), 1.6);
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    switch (id) {
    case TCommand::CreateOutline: {
        QPainterPath path(QPointF(4, 18));
        path.cubicTo(QPointF(6, 2), QPointF(16, 24), QPointF(20, 6));
        p.drawPath(path);
        break;
    }
    case TCommand::CreateDirect: {
        QPointF z[] = {{4, 18}, {8, 6}, {11, 18}, {14, 6}, {17, 18}, {20, 6}};
        p.drawPolyline(z, 6);
        break;
    }
    case TCommand::CreateColumn: {
        QPainterPath a(QPointF(4, 8)), b(QPointF(4, 16));
        a.cubicTo(QPointF(10, 2), QPointF(14, 12), QPointF(20, 6));
        b.cubicTo(QPointF(10, 10), QPointF(14, 20), QPointF(20, 14));
        p.drawPath(a);
        p.drawPath(b);
        break;
    }
    case TCommand::CreateLine:
        p.drawLine(QPointF(4, 19), QPointF(20, 5));
        break;
    case TCommand::CreateCircle:
        p.drawEllipse(QPointF(12, 12), 7, 7);
        break;
    case TCommand::Undo:
    case TCommand::Redo: {
        // A curved arrow turning back (undo) or forward (redo).
        const bool back = id == TCommand::Undo;
        const double s = back ? 1 : -1, cx = 12;
        QPainterPath path(QPointF(cx - 6 * s, 10));
        path.cubicTo(QPointF(cx - 2 * s, 4), QPointF(cx + 8 * s, 6), QPointF(cx + 6 * s, 17));
        p.drawPath(path);
        p.drawLine(QPointF(cx - 6 * s, 10), QPointF(cx - 6 * s, 4));
        p.drawLine(QPointF(cx - 6 * s, 10), QPointF(cx, 11));
        break;
    }
    case TCommand::CreateFrame:
        p.drawRect(QRectF(5, 5, 14, 14));
        break;
    case TCommand::CreatePicture:
        p.drawRect(QRectF(4, 6, 16, 12));
        p.drawLine(QPointF(5, 17), QPointF(10, 11));
        p.drawLine(QPointF(10, 11), QPointF(14, 15));
        break;
    case TCommand::CreatePatternCreator:
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j)
                p.drawRect(QRectF(5 + 5 * i, 5 + 5 * j, 3, 3));
        break;
    default: {
        QFont f = p.font();
        QString t = Label(id);
        f.setPixelSize(t.size() <= 1 ? 14 : t.size() == 2 ? 10 : 8);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(30, 40, 90));
        p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, t);
        break;
    }
    }
    return QIcon(pm);
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

void TMainWindow::BuildToolBars() {
    QToolBar* top = addToolBar("Tools");
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
    create->setIconSize(QSize(24, 24));
    create->setMovable(false);
    for (TCommand id : kCreateBar)
        create->addAction(MakeAction(CommandInfo(id)));
}

void TMainWindow::RefreshCommands() {
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
    UpdateAutosaveTimer();
    if (regionBar_) regionBar_->Refresh();
    // The properties window follows the current object and shows its values after every change.
    if (properties_) properties_->Sync();
}

void TMainWindow::UpdateAutosaveTimer() {
    if (!autosave_) return;
    int ms = Nl.Preferences.AutosaveMinutes * 60 * 1000;
    // NL_AUTOSAVE_SECONDS: a short interval for trying the recovery by hand.
    if (const char* s = std::getenv("NL_AUTOSAVE_SECONDS"); s && ms > 0)
        ms = std::max(1, std::atoi(s)) * 1000;
    if (ms <= 0 || Nl.RecoveryFolder.empty()) {
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
