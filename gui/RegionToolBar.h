// The path-editing buttons of the fill region creation mode, shown only while that mode (or its
// fixed-node placement) is active.
#pragma once
#include <QToolBar>
#include <array>

#include "app/RegionMode.h"

class QAction;

namespace nl {

class TNL;

class TRegionToolBar : public QToolBar {
public:
    explicit TRegionToolBar(TNL& nl, QWidget* parent = nullptr);
    // Shows or hides the bar for the mode and re-reads captions and enabled state.
    void Refresh();
    QAction* Button(TRegionButton b) const { return buttons_[static_cast<size_t>(b)]; }
    // Runs after a button did its work (the window refreshes its commands).
    std::function<void()> AfterPress;

private:
    TNL& nl_;
    std::array<QAction*, static_cast<size_t>(TRegionButton::Count_)> buttons_{};
};

} // namespace nl
