// Host over Qt: the message dialog, file dialogs, clipboard, timer, status line and cursor of
// the desktop program.
#pragma once
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <functional>

#include "platform/Host.h"

class QLabel;
class QMenu;
class QAction;
class QWidget;
class QMainWindow;

namespace nl {

class TPropertiesDialog;
class TCircleAttributesDialog;
class TFrameSizesDialog;
class TPatternViewerDialog;
class TSupportPropertiesDialog;
class TCatalogViewerDialog;
class TCatalogManagerDialog;
class TSimulatorWindow;
class TOrderPanel;

// Filter "Description|*.a;*.b|Other|*.c" as a Qt name filter list "Description (*.a *.b);;Other (*.c)".
QString ToQtFilter(const std::string& filter);

class TQtHost : public Host {
public:
    TQtHost() = default;

    // Set by the main window once its widgets exist.
    QPointer<QMainWindow> Window;
    QPointer<QWidget> View;
    QPointer<QLabel> PromptLabel;
    QPointer<QLabel> StatusLabel;
    QPointer<TPropertiesDialog> Properties;
    QPointer<TCatalogViewerDialog> CatalogViewer;
    QPointer<TCatalogManagerDialog> CatalogManager;
    QPointer<TSimulatorWindow> Simulator;
    QPointer<TOrderPanel> OrderPanel;
    QPointer<TCircleAttributesDialog> CircleDialog;
    QPointer<TFrameSizesDialog> FrameSizesDialog;
    QPointer<TPatternViewerDialog> PatternViewer;
    QPointer<TSupportPropertiesDialog> SupportProperties;
    std::function<void()> OnCommandStateChanged;
    // Tests answer dialogs here instead of showing a modal box; null shows the real dialog.
    std::function<TButton(const std::string&, const std::string&, TButtons)> AnswerHook;
    std::function<TFileDialogResult(const TFileDialogRequest&, bool save)> FileHook;
    // Tests choose from the pop-up menu as built (not yet shown; its top-left corner goes at `at`,
    // global) instead of waiting for a click: the chosen action, or null to dismiss it.
    std::function<QAction*(QMenu& menu, QPoint at)> MenuHook;
    // Tests look at (and fill in) the "General" dialog as built instead of waiting: true accepts.
    std::function<bool(class TGeneralDialog& dialog)> GeneralHook;
    // Tests answer the font dialog here (true: chosen, in the argument) instead of showing it.
    std::function<bool(TFontChoice& font)> FontHook;
    // Tests see the guide page asked for instead of a browser starting.
    std::function<bool(const std::string& file)> GuideHook;

    TButton MessageDialog(const std::string& heading, const std::string& text, TButtons buttons,
                          TIcon icon = TIcon::Auto) override;
    int32_t PopupMenu(const std::vector<TMenuItem>& items, int32_t x, int32_t y) override;
    void ShowPropertiesWindow() override;
    void ClosePropertiesWindow() override;
    void ShowCircleDialog() override;
    // The rotate and resize windows, run modally by the main window on the controller's models.
    std::function<void()> RotateDialogRunner, ResizeDialogRunner;
    void ShowRotateDialog() override {
        if (RotateDialogRunner) RotateDialogRunner();
    }
    void ShowResizeDialog() override {
        if (ResizeDialogRunner) ResizeDialogRunner();
    }
    void ShowFrameSizes() override;
    void ShowPatternViewer() override;
    void ShowSupportProperties() override;
    void CloseSupportProperties() override;
    int32_t PickThreadColour(int32_t preset, bool dropper,
                             const std::function<void(int32_t)>& apply) override;
    void ShowCatalogViewer() override;
    void ShowCatalogManager() override;
    void ShowSimulatorWindow() override;
    void CloseSimulatorWindow() override;
    void SimulatorChanged() override;
    void Beep() override;
    void ShowOrderPanel() override;
    void CloseOrderPanel() override;
    void OrderChanged() override;
    void ShowOrderOptions() override;
    void SetStatus(const std::string& text) override;
    void SetPrompt(const std::string& text) override;
    TFileDialogResult OpenFileDialog(const TFileDialogRequest& request) override;
    TFileDialogResult SaveFileDialog(const TFileDialogRequest& request) override;
    void SetClipboard(const std::vector<uint8_t>& bytes) override;
    std::vector<uint8_t> GetClipboard() override;
    void SetTimer(int intervalMs, std::function<void()> tick) override;
    void RequestRedraw() override;
    void SetCursor(TCursor cursor) override;
    TModifiers Modifiers() override;
    int DisplayDepth() override;
    std::string ProgramFolder() override;
    void SetCaption(const std::string& text) override;
    void CommandStateChanged() override;
    void RequestClose() override;
    bool EditGeneralOptions(TGeneralOptions& values) override;
    bool ChooseFont(TFontChoice& font) override;
    bool OpenGuidePage(const std::string& file) override;

    static constexpr const char* ClipboardMime = "application/x-nordelune-objects";

private:
    TFileDialogResult FileDialog(const TFileDialogRequest& request, bool save);
    QTimer timer_;
    std::function<void()> tick_;
    bool timerConnected_ = false;
};

} // namespace nl
