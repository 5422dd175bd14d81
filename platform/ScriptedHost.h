// A Host for tests: answers are queued in advance and everything shown is recorded.
#pragma once
#include <deque>

#include "platform/Host.h"

namespace nl {

class TScriptedHost : public Host {
public:
    struct Message {
        std::string Heading;
        std::string Text;
        TButtons Buttons;
        TIcon Icon = TIcon::Auto;
    };

    struct Menu {
        std::vector<TMenuItem> Items;
        int32_t X, Y;
    };

    std::deque<TButton> Answers;               // next answers of MessageDialog
    std::deque<int32_t> MenuAnswers;           // next command codes chosen from PopupMenu (0: dismissed)
    std::deque<TFileDialogResult> FileAnswers; // next answers of the file dialogs
    // Thread colour picks: the next colours chosen (NO_COLOUR: cancelled), and what was asked.
    struct Pick {
        int32_t Preset;
        bool Dropper;
    };
    std::deque<int32_t> PickAnswers;
    std::vector<Pick> Picks;
    // Colours "Apply" hands over during the next pick, before its answer.
    std::deque<int32_t> PickApplies;
    int CatalogViewerShown = 0;
    int CatalogManagerShown = 0;
    std::vector<Message> Messages;
    std::vector<Menu> Menus;
    std::vector<TFileDialogRequest> FileRequests;
    std::string Status;
    std::string Prompt;
    std::vector<uint8_t> Clipboard;
    int TimerInterval = 0;
    std::function<void()> TimerTick;
    int RedrawRequests = 0;
    TCursor Cursor = TCursor::Arrow;
    TModifiers Mods;
    int Depth = 32;
    std::string Folder = ".";

    TButton MessageDialog(const std::string& heading, const std::string& text, TButtons buttons,
                          TIcon icon = TIcon::Auto) override;
    void SetStatus(const std::string& text) override { Status = text; }
    void SetPrompt(const std::string& text) override { Prompt = text; }
    int32_t PopupMenu(const std::vector<TMenuItem>& items, int32_t x, int32_t y) override;
    void ShowPropertiesWindow() override {
        ++PropertiesShown;
        PropertiesOpen = true;
    }
    void ClosePropertiesWindow() override {
        if (PropertiesOpen) ++PropertiesClosed;
        PropertiesOpen = false;
    }
    // The circle dialog: the script plays the user while it is open (it edits the controller's
    // circle dialog model and presses OK or Cancel); unscripted, it closes at once, which keeps the
    // circle as the dialog built it.
    // Support object windows: the scripts play the user while they are open.
    std::function<void()> FrameSizesScript;
    int FrameSizesShown = 0;
    void ShowFrameSizes() override {
        ++FrameSizesShown;
        if (FrameSizesScript) FrameSizesScript();
    }
    int SupportPropertiesShown = 0;
    bool SupportPropertiesOpen = false;
    void ShowSupportProperties() override {
        ++SupportPropertiesShown;
        SupportPropertiesOpen = true;
    }
    void CloseSupportProperties() override { SupportPropertiesOpen = false; }
    std::function<void()> PatternViewerScript;
    int PatternViewersShown = 0;
    void ShowPatternViewer() override {
        ++PatternViewersShown;
        if (PatternViewerScript) PatternViewerScript();
    }
    // The font dialog: each request is recorded (the preset); a queued answer is chosen, none
    // cancels.
    std::vector<TFontChoice> FontRequests;
    std::deque<TFontChoice> FontAnswers;
    bool ChooseFont(TFontChoice& font) override {
        FontRequests.push_back(font);
        if (FontAnswers.empty()) return false;
        font = FontAnswers.front();
        FontAnswers.pop_front();
        return true;
    }
    std::function<void()> CircleDialogScript;
    // The rotate and resize dialogs: the script plays the user on the controller's model.
    std::function<void()> RotateDialogScript, ResizeDialogScript;
    int RotateDialogsShown = 0, ResizeDialogsShown = 0;
    void ShowRotateDialog() override {
        ++RotateDialogsShown;
        if (RotateDialogScript) RotateDialogScript();
    }
    void ShowResizeDialog() override {
        ++ResizeDialogsShown;
        if (ResizeDialogScript) ResizeDialogScript();
    }
    int CircleDialogsShown = 0;
    void ShowCircleDialog() override {
        ++CircleDialogsShown;
        if (CircleDialogScript) CircleDialogScript();
    }
    int32_t PickThreadColour(int32_t preset, bool dropper,
                             const std::function<void(int32_t)>& apply) override;
    void ShowCatalogViewer() override { ++CatalogViewerShown; }
    void ShowCatalogManager() override { ++CatalogManagerShown; }
    void ShowSimulatorWindow() override { SimulatorOpen = true; }
    void CloseSimulatorWindow() override { SimulatorOpen = false; }
    void SimulatorChanged() override { ++SimulatorChanges; }
    void Beep() override { ++Beeps; }
    void ShowOrderPanel() override { OrderPanelOpen = true; }
    void CloseOrderPanel() override { OrderPanelOpen = false; }
    void OrderChanged() override { ++OrderChanges; }
    void ShowOrderOptions() override { OrderOptionsShown = true; }
    bool OrderOptionsShown = false;
    int Beeps = 0;
    bool OrderPanelOpen = false; // the "Stitching Order" panel is shown
    int OrderChanges = 0;
    TFileDialogResult OpenFileDialog(const TFileDialogRequest& request) override;
    TFileDialogResult SaveFileDialog(const TFileDialogRequest& request) override;
    void SetClipboard(const std::vector<uint8_t>& bytes) override { Clipboard = bytes; }
    std::vector<uint8_t> GetClipboard() override { return Clipboard; }
    void SetTimer(int intervalMs, std::function<void()> tick) override {
        TimerInterval = intervalMs;
        TimerTick = std::move(tick);
    }
    void RequestRedraw() override { ++RedrawRequests; }
    void SetCursor(TCursor cursor) override { Cursor = cursor; }
    TModifiers Modifiers() override { return Mods; }
    int DisplayDepth() override { return Depth; }
    std::string ProgramFolder() override { return Folder; }
    std::string Caption;
    int PropertiesShown = 0;  // times the properties window was asked for
    int PropertiesClosed = 0; // times the open window was closed
    bool PropertiesOpen = false;
    bool SimulatorOpen = false; // the simulator window is shown
    int SimulatorChanges = 0;
    int CommandStateChanges = 0;
    int CloseRequests = 0;
    void SetCaption(const std::string& text) override { Caption = text; }
    void CommandStateChanged() override { ++CommandStateChanges; }
    void RequestClose() override { ++CloseRequests; }
    // The guide pages asked for; GuideOpens is what the browser answers.
    std::vector<std::string> GuidePages;
    bool GuideOpens = true;
    bool OpenGuidePage(const std::string& file) override {
        GuidePages.push_back(file);
        return GuideOpens;
    }
    // The "General" page: each request is recorded; an answer queued here is "entered" and accepted.
    std::vector<TGeneralOptions> GeneralRequests;
    std::deque<TGeneralOptions> GeneralAnswers;
    bool EditGeneralOptions(TGeneralOptions& values) override {
        GeneralRequests.push_back(values);
        if (GeneralAnswers.empty()) return false;
        values = GeneralAnswers.front();
        GeneralAnswers.pop_front();
        return true;
    }
};

} // namespace nl
