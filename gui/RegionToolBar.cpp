#include "gui/RegionToolBar.h"

#include <QAction>

#include "app/MainForm.h"

namespace nl {

TRegionToolBar::TRegionToolBar(TNL& nl, QWidget* parent) : QToolBar("Region Creation", parent), nl_(nl) {
    setObjectName("RegionCreation");
    setMovable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto id = static_cast<TRegionButton>(i);
        // The fixed-node button stands apart from the path navigation, "Exit" at the end.
        if (id == TRegionButton::Back || id == TRegionButton::Restore || id == TRegionButton::Exit)
            addSeparator();
        QAction* a = addAction(QString::fromStdString(nl_.RegionMode().Caption(id)));
        a->setToolTip(QString::fromStdString(nl_.RegionMode().Hint(id)));
        connect(a, &QAction::triggered, this, [this, id] {
            nl_.RegionMode().Press(id);
            Refresh();
            if (AfterPress) AfterPress();
        });
        buttons_[i] = a;
    }
    setVisible(false);
}

void TRegionToolBar::Refresh() {
    bool on = TNL::IsRegionMode(nl_.Mode());
    if (isVisibleTo(parentWidget()) != on) setVisible(on);
    for (size_t i = 0; i < buttons_.size(); ++i) {
        auto id = static_cast<TRegionButton>(i);
        QString caption = QString::fromStdString(nl_.RegionMode().Caption(id));
        if (buttons_[i]->text() != caption) buttons_[i]->setText(caption);
        buttons_[i]->setEnabled(on && nl_.RegionMode().Enabled(id));
    }
}

} // namespace nl
