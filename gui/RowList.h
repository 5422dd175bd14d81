// A list of owner-drawn rows of one height with an optional header row: the thread lists of the
// catalog viewer and manager. Only the rows in view are drawn, so a catalog of any size opens at
// once. The owner paints each row and hears clicks and key moves.
#pragma once
#include <QAbstractScrollArea>
#include <functional>

namespace nl {

class TRowList : public QAbstractScrollArea {
public:
    explicit TRowList(QWidget* parent = nullptr);

    void SetRowHeight(int h);
    int RowHeight() const { return rowHeight_; }
    // A header row of this height drawn by PaintHeader (0: none).
    void SetHeaderHeight(int h);
    void SetRowCount(int n);
    int RowCount() const { return rows_; }
    // The highlighted row (-1: none); scrolled into view.
    void SetCurrent(int row);
    int Current() const { return current_; }
    void ScrollTo(int row);
    // The row at a point of the viewport, -1 when none.
    int RowAt(const QPoint& p) const;
    // The rectangle of a row in viewport coordinates.
    QRect RowRect(int row) const;

    std::function<void(QPainter&, int row, const QRect&, bool current)> PaintRow;
    std::function<void(QPainter&, const QRect&)> PaintHeader;
    // Painted on an empty list (no rows), e.g. a hint.
    std::function<void(QPainter&, const QRect&)> PaintEmpty;
    // A click on a row (point in the row's own coordinates, from its top-left corner).
    std::function<void(int row, const QPoint& inRow)> Clicked;
    std::function<void(int row)> DoubleClicked;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void UpdateScroll();
    int rowHeight_ = 21;
    int headerHeight_ = 0;
    int rows_ = 0;
    int current_ = -1;
};

} // namespace nl
