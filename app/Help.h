// The Help menu: which page of the user guide each item opens, and the About box's text.
#pragma once
#include <span>
#include <string>

#include "app/Commands.h"
#include "app/RunState.h"

namespace nl {

class Host;

struct THelpTopic {
    TCommand Command;
    const char* Page; // a file of the guide folder, "#part" allowed
};

// Every Help menu item that opens the guide, with its page.
std::span<const THelpTopic> HelpTopics();

// The part of the guide about a mode (F1, the context help): "modes.html#...".
std::string ModeHelpPage(TMode mode);

// Opens the guide at `page` ("file.html" or "file.html#part"); tells the user when the guide is
// missing or no browser could show it. False when nothing was opened.
bool OpenGuide(Host& host, const std::string& page);
// The page of a Help menu item; false for another command.
bool OpenHelpTopic(Host& host, TCommand command);

// "Nordelune", what it is, its version and the date it was built.
std::string AboutText();

} // namespace nl
