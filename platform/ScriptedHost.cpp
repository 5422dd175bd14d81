#include "platform/ScriptedHost.h"

namespace nl {

TButton TScriptedHost::MessageDialog(const std::string& heading, const std::string& text, TButtons buttons,
                                     TIcon icon) {
    Messages.push_back({heading, text, buttons, icon});
    if (Answers.empty()) {
        // Unscripted: the first offered button of OK, No, Cancel (the safe answer).
        for (TButton b : {TButton::OK, TButton::No, TButton::Cancel})
            if (buttons & static_cast<uint8_t>(b)) return b;
        return TButton::None;
    }
    TButton b = Answers.front();
    Answers.pop_front();
    return b;
}

int32_t TScriptedHost::PopupMenu(const std::vector<TMenuItem>& items, int32_t x, int32_t y) {
    Menus.push_back({items, x, y});
    if (MenuAnswers.empty()) return 0; // unscripted: dismissed
    int32_t code = MenuAnswers.front();
    MenuAnswers.pop_front();
    // Only an item on offer can be chosen, as on screen.
    for (const TMenuItem& item : items)
        if (item.Code == code && item.Enabled) return code;
    return 0;
}

int32_t TScriptedHost::PickThreadColour(int32_t preset, bool dropper,
                                        const std::function<void(int32_t)>& apply) {
    Picks.push_back({preset, dropper});
    while (!PickApplies.empty()) {
        if (apply) apply(PickApplies.front());
        PickApplies.pop_front();
    }
    if (PickAnswers.empty()) return 0x1FFFFFFF; // cancelled (NO_COLOUR)
    int32_t c = PickAnswers.front();
    PickAnswers.pop_front();
    return c;
}

TFileDialogResult TScriptedHost::OpenFileDialog(const TFileDialogRequest& request) {
    FileRequests.push_back(request);
    if (FileAnswers.empty()) return {};
    auto r = FileAnswers.front();
    FileAnswers.pop_front();
    return r;
}

TFileDialogResult TScriptedHost::SaveFileDialog(const TFileDialogRequest& request) {
    return OpenFileDialog(request);
}

} // namespace nl
