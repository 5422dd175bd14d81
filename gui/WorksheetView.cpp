#include "gui/WorksheetView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "gui/QtCanvas.h"

namespace nl {

namespace {
bool ToButton(Qt::MouseButton b, TMouseButton& out) {
    switch (b) {
    case Qt::LeftButton:
        out = TMouseButton::Left;
        return true;
    case Qt::RightButton:
        out = TMouseButton::Right;
        return true;
    case Qt::MiddleButton:
        out = TMouseButton::Middle;
        return true;
    default:
        return false;
    }
}
} // namespace

TWorksheetView::TWorksheetView(TNL& nl, QWidget* parent) : QWidget(parent), nl_(nl) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    setCursor(Qt::CrossCursor);
}

TModifiers TWorksheetView::ToModifiers(Qt::KeyboardModifiers m) {
    return {m.testFlag(Qt::ShiftModifier), m.testFlag(Qt::ControlModifier), m.testFlag(Qt::AltModifier)};
}

TKey TWorksheetView::ToKey(int k) {
    switch (k) {
    case Qt::Key_Left:
        return TKey::Left;
    case Qt::Key_Right:
        return TKey::Right;
    case Qt::Key_Up:
        return TKey::Up;
    case Qt::Key_Down:
        return TKey::Down;
    case Qt::Key_I:
        return TKey::I;
    case Qt::Key_O:
        return TKey::O;
    case Qt::Key_Escape:
        return TKey::Escape;
    case Qt::Key_F1:
        return TKey::F1;
    case Qt::Key_F5:
        return TKey::F5;
    case Qt::Key_F6:
        return TKey::F6;
    case Qt::Key_F10:
        return TKey::F10;
    default:
        return TKey::Other;
    }
}

void TWorksheetView::paintEvent(QPaintEvent*) {
    // Drawn into an image of our own first: the canvas writes stitches straight into its
    // pixels, which is many times faster than painter calls for every stitch.
    // While the design is being sewn the buffer keeps its picture between paints and only the new
    // stitches are drawn into it; the needle goes over it on the screen alone.
    if (buffer_.size() != size()) buffer_ = QImage(size(), QImage::Format_RGB32);
    const bool simulating = nl_.Mode() == TMode::SewSimulation;
    if (!simulating && !kept_.empty()) kept_ = TKeptPictures();
    {
        QPainter ip(&buffer_);
        TQtCanvas canvas(ip, buffer_.rect(), simulating ? &kept_ : nullptr);
        nl_.Draw(canvas);
    }
    QPainter p(this);
    p.drawImage(0, 0, buffer_);
    if (simulating) {
        TQtCanvas overlay(p, rect());
        nl_.DrawOverlay(overlay);
    }
}

void TWorksheetView::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    nl_.Resize(width(), height());
}

void TWorksheetView::mousePressEvent(QMouseEvent* e) {
    TMouseButton b;
    if (!ToButton(e->button(), b)) return;
    if (OnPress) OnPress();
    QPoint p = e->position().toPoint();
    if (Intercept) {
        // The release of this press belongs to the dropper too.
        swallowRelease_ = true;
        auto take = Intercept;
        take(p.x(), p.y(), b == TMouseButton::Left);
        return;
    }
    nl_.MouseDown(b, p.x(), p.y(), ToModifiers(e->modifiers()));
}

void TWorksheetView::mouseMoveEvent(QMouseEvent* e) {
    QPoint p = e->position().toPoint();
    nl_.MouseMove(p.x(), p.y(), ToModifiers(e->modifiers()));
    if (PointerMoved) PointerMoved(p.x(), p.y());
}

void TWorksheetView::mouseReleaseEvent(QMouseEvent* e) {
    TMouseButton b;
    if (!ToButton(e->button(), b)) return;
    if (swallowRelease_) {
        swallowRelease_ = false;
        return;
    }
    QPoint p = e->position().toPoint();
    nl_.MouseUp(b, p.x(), p.y(), ToModifiers(e->modifiers()));
    if (AfterEvent) AfterEvent();
}

void TWorksheetView::mouseDoubleClickEvent(QMouseEvent* e) {
    // The second press of a left double click opens the properties of the object under it.
    if (e->button() != Qt::LeftButton || Intercept) {
        mousePressEvent(e);
        return;
    }
    QPoint p = e->position().toPoint();
    nl_.DoubleClick(p.x(), p.y(), ToModifiers(e->modifiers()));
    if (AfterEvent) AfterEvent();
}

void TWorksheetView::wheelEvent(QWheelEvent* e) {
    wheelRest_ += e->angleDelta().y();
    QPoint p = e->position().toPoint();
    bool middle = e->buttons().testFlag(Qt::MiddleButton);
    while (wheelRest_ >= 120 || wheelRest_ <= -120) {
        bool up = wheelRest_ > 0;
        wheelRest_ += up ? -120 : 120;
        nl_.Wheel(p.x(), p.y(), up, ToModifiers(e->modifiers()), middle);
    }
    e->accept();
    if (AfterEvent) AfterEvent();
}

void TWorksheetView::keyPressEvent(QKeyEvent* e) {
    if (Intercept && e->key() == Qt::Key_Escape) {
        auto take = Intercept;
        take(-1, -1, false);
        return;
    }
    // I and O with Ctrl are menu commands; the plain letters zoom here.
    TKey k = ToKey(e->key());
    if ((k == TKey::I || k == TKey::O) && (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        k = TKey::Other;
    if (k != TKey::Other && nl_.KeyDown(k, ToModifiers(e->modifiers()))) {
        e->accept();
        if (AfterEvent) AfterEvent();
        return;
    }
    QWidget::keyPressEvent(e);
}

} // namespace nl
