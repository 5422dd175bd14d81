// The engine's window on the desktop: everything it asks of the user or the windowing system.
// gui/ implements it over Qt; TScriptedHost implements it for tests.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace nl {

// Buttons of the message dialog (TNLErrorDlg). Save and Discard ("Don't Save") answer the question
// about unsaved changes.
enum class TButton : uint8_t {
    None = 0,
    OK = 1,
    Yes = 2,
    No = 4,
    Cancel = 8,
    Abort = 16,
    Apply = 32,
    Save = 64,
    Discard = 128
};
using TButtons = uint8_t;
constexpr TButtons operator|(TButton a, TButton b) {
    return static_cast<TButtons>(static_cast<uint8_t>(a) | static_cast<uint8_t>(b));
}
constexpr TButtons operator|(TButtons a, TButton b) {
    return static_cast<TButtons>(a | static_cast<uint8_t>(b));
}
constexpr TButtons Buttons(TButton b) {
    return static_cast<TButtons>(b);
}

// The icon of the message dialog. Auto: a question when Yes or Save is offered, else information.
enum class TIcon : uint8_t { Auto, Information, Question, Warning, Error };

enum class TCursor : uint8_t { Arrow, Cross, Hand, Move, SizeAll, Wait, Point, Rotate, Zoom };

// Modifier keys held at the time of the query.
struct TModifiers {
    bool Shift = false;
    bool Ctrl = false;
    bool Alt = false;
};

struct TFileDialogRequest {
    std::string Title;
    std::string Filter;  // "Description|*.ext;*.ext2|Other|*.x" pairs
    int FilterIndex = 1; // 1-based
    std::string InitialDir;
    std::string FileName;
    std::string DefaultExt;
};

struct TFileDialogResult {
    bool Accepted = false;
    std::string FileName;
    int FilterIndex = 1;
};

// An item of a pop-up menu: the caption shown, the command code it stands for, and its state.
struct TMenuItem {
    std::string Caption;
    int32_t Code = 0;
    bool Enabled = true;
    bool Checkable = false;
    bool Checked = false;
};

// The values of the "General" page: the long-stitch highlight limit and the "Points Under"
// length of the worksheet, and the program's autosave interval (0 = off).
struct TGeneralOptions {
    double MaxLengthMm = 10.0;
    double PointsUnderMm = 0.2;
    int AutosaveMinutes = 5;
};

// A typeface as the font dialog shows it: family, style and size in points.
struct TFontChoice {
    std::string Family;
    bool Bold = false;
    bool Italic = false;
    double PointSize = 12.0;
};

class Host {
public:
    virtual ~Host() = default;
    // A modal message with a heading, a text and buttons; returns the button pressed.
    virtual TButton MessageDialog(const std::string& heading, const std::string& text, TButtons buttons,
                                  TIcon icon = TIcon::Auto) = 0;
    // The status line.
    virtual void SetStatus(const std::string& text) = 0;
    // The prompt field of the status line (what the current mode expects next).
    virtual void SetPrompt(const std::string& text) = 0;
    // A pop-up menu at a pixel of the worksheet view. It waits for the choice, as the message
    // dialog does, and returns the chosen item's command code; 0 when the menu was dismissed.
    virtual int32_t PopupMenu(const std::vector<TMenuItem>& items, int32_t x, int32_t y) = 0;
    // The object properties window: shown on the worksheet's current object (it follows the
    // current object while it is open), or closed.
    virtual void ShowPropertiesWindow() = 0;
    virtual void ClosePropertiesWindow() = 0;
    // The thread catalog viewer as the program's thread colour picker: shown modally with the
    // preset colour (NO_COLOUR: none) matched to the nearest thread, the dropper offered or not;
    // "Apply" hands its colour to `apply` at once. Returns the colour chosen (a thread's, or the
    // platform colour dialog's after "RGB ..."), NO_COLOUR when nothing was chosen.
    virtual int32_t PickThreadColour(int32_t preset, bool dropper,
                                     const std::function<void(int32_t)>& apply) = 0;
    // The catalog viewer free-standing (Threads menu), and the catalog manager.
    virtual void ShowCatalogViewer() = 0;
    virtual void ShowCatalogManager() = 0;
    // The "Sewing Simulator" window: shown while the Sew Simulation mode runs and closed when the
    // mode ends; SimulatorChanged says that the simulator's state changed (its controls follow).
    // The "Circle Attributes Dialog", modal: shown on the controller's circle dialog model and
    // returns once it is closed (by OK, or by Cancel when the user agreed to destroy the circle).
    virtual void ShowCircleDialog() {}
    // The "Rotate Object Dialog" and the "Resize Object Dialog", modal: shown on the controller's
    // dialog model (TNL::RotateDialog / ResizeDialog); return once it is closed.
    virtual void ShowRotateDialog() {}
    virtual void ShowResizeDialog() {}
    virtual void ShowSimulatorWindow() = 0;
    virtual void CloseSimulatorWindow() = 0;
    virtual void SimulatorChanged() = 0;
    virtual TFileDialogResult OpenFileDialog(const TFileDialogRequest& request) = 0;
    virtual TFileDialogResult SaveFileDialog(const TFileDialogRequest& request) = 0;
    virtual void SetClipboard(const std::vector<uint8_t>& bytes) = 0;
    virtual std::vector<uint8_t> GetClipboard() = 0;
    // One periodic timer; interval 0 stops it.
    virtual void SetTimer(int intervalMs, std::function<void()> tick) = 0;
    virtual void RequestRedraw() = 0;
    virtual void SetCursor(TCursor cursor) = 0;
    virtual TModifiers Modifiers() = 0;
    virtual int DisplayDepth() = 0;
    // Folder of the program file (data files sit beside it).
    virtual std::string ProgramFolder() = 0;
    // The main window caption.
    virtual void SetCaption(const std::string& text) { (void)text; }
    // Modes, selection or toggles changed: menus and tool buttons re-read their state.
    virtual void CommandStateChanged() {}
    // Asks the main window to close (it asks the controller whether it may).
    virtual void RequestClose() {}
    // Support objects: the "Frame Sizes" dialog over the controller's TFrameSizes model (modal:
    // the model is gone when the call returns), and the properties window on the controller's
    // support page (modeless), closed when its object goes.
    virtual void ShowFrameSizes() {}
    virtual void ShowSupportProperties() {}
    virtual void CloseSupportProperties() {}
    // The "Prog. Stitch  Pattern Viewer" over the controller's pattern viewer model (modal).
    virtual void ShowPatternViewer() {}
    // The desktop's font dialog preset with `font`; true when the user chose one (then in `font`).
    virtual bool ChooseFont(TFontChoice& font) {
        (void)font;
        return false;
    }
    // The warning sound of refused clicks.
    virtual void Beep() {}
    // The stitch order mode's "Stitching Order" panel (with its pallet): shown while the mode
    // runs; OrderChanged says that the order or the current element changed (the panel follows).
    virtual void ShowOrderPanel() {}
    virtual void CloseOrderPanel() {}
    virtual void OrderChanged() {}
    // The properties window on the "Stitch Ordering" page (the order mode's display options).
    virtual void ShowOrderOptions() {}
    // Opens a page of the user guide (an HTML file, with "#part" when it names a part of the page)
    // in the desktop's web browser; false when no browser could be started.
    virtual bool OpenGuidePage(const std::string& file) {
        (void)file;
        return false;
    }
    // The "General" page, opened on `values`; true when the user accepted (the values are then
    // the ones entered).
    virtual bool EditGeneralOptions(TGeneralOptions& values) {
        (void)values;
        return false;
    }
};

} // namespace nl
