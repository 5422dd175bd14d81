#include "gui/ObjectMenu.h"

#include "app/MainForm.h"

namespace nl {

QMenu* PopupObjectMenu(TNL& nl, QWidget* view, const std::vector<TContextItem>& items, int x, int y,
                       std::function<void()> after) {
    auto* menu = new QMenu(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const TContextItem& item : items) {
        QAction* a = menu->addAction(QString::fromStdString(item.Caption));
        a->setEnabled(item.Enabled);
        a->setCheckable(item.Checkable);
        a->setChecked(item.Checked);
        const int32_t code = item.Code;
        QObject::connect(a, &QAction::triggered, menu, [&nl, code, after] {
            nl.RunContextCommand(code);
            if (after) after();
        });
    }
    menu->popup(view->mapToGlobal(QPoint(x, y)));
    return menu;
}

} // namespace nl
