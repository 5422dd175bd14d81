// The object context menu on screen: the controller's item list shown as a pop-up menu at the
// pointer; the chosen item goes back to the controller by its command code.
#pragma once
#include <QMenu>
#include <functional>
#include <vector>

#include "app/ContextMenu.h"

namespace nl {

class TNL;

// Opens the menu (not modal) and returns it; it deletes itself when closed. `after` runs after
// the chosen command.
QMenu* PopupObjectMenu(TNL& nl, QWidget* view, const std::vector<TContextItem>& items, int x, int y,
                       std::function<void()> after);

} // namespace nl
