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
    };

    std::deque<TButton> Answers;               // next answers of MessageDialog
    std::deque<TFileDialogResult> FileAnswers; // next answers of the file dialogs
    std::vector<Message> Messages;
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

    TButton MessageDialog(const std::string& heading, const std::string& text, TButtons buttons) override;
    void SetStatus(const std::string& text) override { Status = text; }
    void SetPrompt(const std::string& text) override { Prompt = text; }
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
    int CommandStateChanges = 0;
    int CloseRequests = 0;
    void SetCaption(const std::string& text) override { Caption = text; }
    void CommandStateChanged() override { ++CommandStateChanges; }
    void RequestClose() override { ++CloseRequests; }
};

} // namespace nl
