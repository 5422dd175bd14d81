#include "gui/RowList.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace nl {

TRowList::TRowList(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
}

void TRowList::SetRowHeight(int h) {
    rowHeight_ = std::max(1, h);
    UpdateScroll();
}

void TRowList::SetHeaderHeight(int h) {
    headerHeight_ = std::max(0, h);
    UpdateScroll();
}

void TRowList::SetRowCount(int n) {
    rows_ = std::max(0, n);
    if (current_ >= rows_) current_ = -1;
    UpdateScroll();
    viewport()->update();
}

void TRowList::SetCurrent(int row) {
    current_ = row >= 0 && row < rows_ ? row : -1;
    if (current_ >= 0) ScrollTo(current_);
    viewport()->update();
}

void TRowList::ScrollTo(int row) {
    const int visible = std::max(1, (viewport()->height() - headerHeight_) / rowHeight_);
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value())
        bar->setValue(row);
    else if (row >= bar->value() + visible)
        bar->setValue(row - visible + 1);
}

int TRowList::RowAt(const QPoint& p) const {
    if (p.y() < headerHeight_) return -1;
    int row = verticalScrollBar()->value() + (p.y() - headerHeight_) / rowHeight_;
    return row >= 0 && row < rows_ ? row : -1;
}

QRect TRowList::RowRect(int row) const {
    int y = headerHeight_ + (row - verticalScrollBar()->value()) * rowHeight_;
    return QRect(0, y, viewport()->width(), rowHeight_);
}

void TRowList::UpdateScroll() {
    // The bar scrolls whole rows.
    const int visible = std::max(1, (viewport()->height() - headerHeight_) / rowHeight_);
    verticalScrollBar()->setRange(0, std::max(0, rows_ - visible));
    verticalScrollBar()->setPageStep(visible);
    verticalScrollBar()->setSingleStep(1);
}

void TRowList::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScroll();
}

void TRowList::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const QRect all = viewport()->rect();
    if (headerHeight_ > 0 && PaintHeader) PaintHeader(p, QRect(0, 0, all.width(), headerHeight_));
    if (rows_ == 0) {
        if (PaintEmpty) PaintEmpty(p, all.adjusted(0, headerHeight_, 0, 0));
        return;
    }
    p.setClipRect(all.adjusted(0, headerHeight_, 0, 0));
    const int first = verticalScrollBar()->value();
    for (int row = first; row < rows_; ++row) {
        QRect r = RowRect(row);
        if (r.top() > all.bottom()) break;
        if (PaintRow) PaintRow(p, row, r, row == current_);
    }
}

void TRowList::mousePressEvent(QMouseEvent* e) {
    int row = RowAt(e->position().toPoint());
    if (row >= 0 && Clicked) Clicked(row, e->position().toPoint() - RowRect(row).topLeft());
}

void TRowList::mouseDoubleClickEvent(QMouseEvent* e) {
    int row = RowAt(e->position().toPoint());
    if (row >= 0 && DoubleClicked) DoubleClicked(row);
}

void TRowList::keyPressEvent(QKeyEvent* e) {
    int step = 0;
    switch (e->key()) {
    case Qt::Key_Up:
        step = -1;
        break;
    case Qt::Key_Down:
        step = 1;
        break;
    case Qt::Key_PageUp:
        step = -verticalScrollBar()->pageStep();
        break;
    case Qt::Key_PageDown:
        step = verticalScrollBar()->pageStep();
        break;
    default:
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    if (rows_ == 0) return;
    int row = std::clamp(current_ < 0 ? 0 : current_ + step, 0, rows_ - 1);
    if (Clicked) Clicked(row, QPoint(-1, -1));
}

} // namespace nl
