// The main window: menus and tool buttons built from the command table, the worksheet view, the
// status line with the prompt, and the splash screen of the start-up.
#pragma once
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QSplashScreen>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "gui/QtHost.h"

class QAction;
class QMenu;
class QLabel;
class QToolBar;
class QEventLoop;

namespace nl {

class TWorksheetView;
class TRegionToolBar;
class TPropertiesDialog;
class TCatalogViewerDialog;
class TCatalogManagerDialog;
class TSimulatorWindow;
class TOrderPanel;
class TCircleAttributesDialog;
class TFrameSizesDialog;
class TPatternViewerDialog;
class TSupportPropertiesDialog;

// The controller and its Host. A base of the main window listed before QMainWindow, so that
// they are made before every widget and outlive them all: windows that work on the controller
// need no particular order of going.
struct TDesktopCore {
    TQtHost DesktopHost;
    TNL Nl{DesktopHost};
};

class TMainWindow : private TDesktopCore, public QMainWindow {
public:
    explicit TMainWindow(std::vector<std::string> args = {}, QWidget* parent = nullptr);
    ~TMainWindow() override;

    TNL& Controller() { return Nl; }
    TQtHost& QtHost() { return DesktopHost; }
    TWorksheetView* View() const { return view_; }
    QAction* Action(TCommand id) const;
    QLabel* PromptLabel() const { return prompt_; }
    QLabel* StatusLabel() const { return status_; }
    // The measurements: pointer position, size of the selection or design, stitch and colour counts.
    QLabel* PointerLabel() const { return pointer_; }
    QLabel* SizeLabel() const { return size_; }
    QLabel* CountsLabel() const { return counts_; }
    // Shows the splash screen centred on the window, 30 pixels below its middle; it closes at
    // the first click on the worksheet.
    void ShowSplash();
    QSplashScreen* Splash() const { return splash_; }
    TRegionToolBar* RegionBar() const { return regionBar_; }
    // What export and import remember during the run.
    TFileState& Files() { return Nl.Files; }
    // Re-reads enabled and checked state of every command.
    void RefreshCommands();
    // Runs the timer of the recovery copies at the preferences' interval (stopped at 0).
    void UpdateAutosaveTimer();
    QTimer* AutosaveTimer() const { return autosave_; }
    // The "Object Properties" window (created once, shown when asked for).
    TPropertiesDialog* Properties() const { return properties_; }
    // The thread catalog windows (created once).
    TCatalogViewerDialog* CatalogViewer() const { return catalogViewer_; }
    TCatalogManagerDialog* CatalogManager() const { return catalogManager_; }
    // The colour dropper: waits for a click on the worksheet and returns the colour under it
    // (NO_COLOUR after a right click, Escape, or a click beside every object).
    int32_t TakeWorksheetColour();
    // The "Sewing Simulator" window, docked at the right while the Sew Simulation mode runs.
    TSimulatorWindow* Simulator() const { return simulator_; }
    // The "Stitching Order" panel, docked at the right while the stitch order mode runs.
    TOrderPanel* OrderPanel() const { return orderPanel_; }
    // The "Circle Attributes Dialog" (created once, shown modally by the circle tool).
    TCircleAttributesDialog* CircleDialog() const { return circleDialog_; }
    TFrameSizesDialog* FrameSizesDialog() const { return frameSizes_; }
    TSupportPropertiesDialog* SupportProperties() const { return supportProperties_; }
    TPatternViewerDialog* PatternViewerDialog() const { return patternViewer_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void BuildMenus();
    void BuildToolBars();
    void UpdateMeasurements();
    QAction* MakeAction(const TCommandInfo& info);

    TWorksheetView* view_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* zoom_ = nullptr;
    QLabel* pointer_ = nullptr;
    QLabel* size_ = nullptr;
    QLabel* counts_ = nullptr;
    QPointer<QSplashScreen> splash_;
    TPropertiesDialog* properties_ = nullptr;
    TCatalogViewerDialog* catalogViewer_ = nullptr;
    TCatalogManagerDialog* catalogManager_ = nullptr;
    QEventLoop* dropperLoop_ = nullptr;
    TSimulatorWindow* simulator_ = nullptr;
    TOrderPanel* orderPanel_ = nullptr;
    TCircleAttributesDialog* circleDialog_ = nullptr;
    TFrameSizesDialog* frameSizes_ = nullptr;
    TSupportPropertiesDialog* supportProperties_ = nullptr;
    TPatternViewerDialog* patternViewer_ = nullptr;
    std::map<TCommand, QAction*> actions_;
    TRegionToolBar* regionBar_ = nullptr;
    std::vector<std::string> args_;
    QTimer* autosave_ = nullptr;
    bool shown_ = false;
};

// The icon of a tool button, rendered from its SVG drawing (empty for a command without one), and
// the resource path of the drawing.
QIcon ToolIcon(TCommand id);
QString ToolIconPath(TCommand id);

} // namespace nl
