#include "gui/PatternViewerDialog.h"

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/MainForm.h"
#include "gui/QtCanvas.h"
#include "ui/PatternViewer.h"

namespace nl {

TPatternViewerDialog::TPatternViewerDialog(TNL& nl, QWidget* parent) : QDialog(parent), nl_(nl) {
    setWindowTitle(TPatternViewer::Title);
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setViewMode(QListView::IconMode);
    list_->setIconSize(QSize(TPatternViewer::kThumb, TPatternViewer::kThumb));
    list_->setGridSize(QSize(TPatternViewer::kThumb + 60, TPatternViewer::kThumb + 30));
    list_->setMovement(QListView::Static);
    list_->setMinimumSize(420, 260);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (TPatternViewer* v = nl_.PatternViewer()) v->Choose(static_cast<size_t>(list_->row(item)));
        accept();
    });
    layout->addWidget(list_);
    auto* close = new QPushButton("Close", this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void TPatternViewerDialog::Run() {
    TPatternViewer* v = nl_.PatternViewer();
    if (!v) return;
    list_->clear();
    for (size_t i = 0; i < v->Entries().size(); ++i) {
        QImage image(TPatternViewer::kThumb, TPatternViewer::kThumb, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            TQtCanvas canvas(p, image.rect());
            v->DrawThumbnail(i, canvas, 0, 0);
            canvas.Flush();
        }
        list_->addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(image)),
                                           QString::fromStdString(v->Entries()[i].Name)));
    }
    exec();
}

} // namespace nl
