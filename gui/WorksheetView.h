// The worksheet view widget: paints the worksheet through the controller and hands it the
// mouse, wheel and keyboard.
#pragma once
#include <QImage>
#include <QWidget>
#include <functional>

#include "app/MainForm.h"
#include "gui/QtCanvas.h"

namespace nl {

class TWorksheetView : public QWidget {
public:
    TWorksheetView(TNL& nl, QWidget* parent = nullptr);
    // Called at every left or right press on the worksheet (the splash closes at the first).
    std::function<void()> OnPress;
    // Called after every event the controller handled (menus and buttons re-read their state).
    std::function<void()> AfterEvent;
    // While set, a press on the worksheet goes here instead of to the controller (the colour
    // dropper): left true for the left button; Escape comes as a right press at (-1, -1).
    std::function<void(int x, int y, bool left)> Intercept;
    // Called when the pointer moves over the worksheet (the status bar shows where it is).
    std::function<void(int x, int y)> PointerMoved;

    static TModifiers ToModifiers(Qt::KeyboardModifiers m);
    static TKey ToKey(int qtKey);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TNL& nl_;
    bool swallowRelease_ = false;
    int wheelRest_ = 0; // high-resolution wheels deliver parts of a notch
    QImage buffer_;
    // Pictures of the buffer kept by the simulator (the design sewn up to points along the way).
    TKeptPictures kept_;
};

} // namespace nl
