// The "Stitching Order" panel of the stitch order mode, docked beside the worksheet: the order
// list with a colour tile per element (the "Stitch Order Editor" and the "Color And Position
// Pallet" in one list: click to make current, Shift/Ctrl-click to select, drag to move, its own
// context menu), the stepping buttons, and the "Edit" and "Set Jumps" pages. It shows and drives
// the controller's order model; the worksheet view draws the connectors.
#pragma once
#include <QDockWidget>
#include <QIcon>
#include <cstdint>
#include <functional>
#include <unordered_map>

class QButtonGroup;
class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace nl {

class TNL;
class TSLStitch;

// Thumbnail pixels per side in the order list.
constexpr int kThumbnailSize = 40;

class TOrderPanel : public QDockWidget {
public:
    TOrderPanel(TNL& nl, QWidget* parent = nullptr);

    // Re-reads the order into the list and the current element into the pages.
    void Refresh();
    // Called after the panel changed the worksheet (the view repaints, commands follow).
    std::function<void()> AfterChange;
    // The colour picker; tests replace it. NO_COLOUR: cancelled.
    std::function<int32_t(int32_t preset)> PickColour;

    QListWidget* List() const { return list_; }
    QTabWidget* Pages() const { return pages_; }
    // How many thumbnails were drawn since the panel was made (each only when its element changed).
    int ThumbnailsDrawn() const { return thumbnailsDrawn_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Changed();
    void ListMenu(const QPoint& at);
    void FieldEdited(QDoubleSpinBox* box);
    // The element's thumbnail, drawn again only when its stitches or colour changed.
    QIcon Thumbnail(const TSLStitch& element);

    TNL& nl_;
    bool refreshing_ = false;
    QListWidget* list_ = nullptr;
    QLabel* position_ = nullptr;
    QToolButton* first_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* last_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QPushButton* colour_ = nullptr;
    QDoubleSpinBox* density_ = nullptr;
    QDoubleSpinBox* under_ = nullptr;
    QDoubleSpinBox* rotation_ = nullptr;
    QCheckBox* short_ = nullptr;
    QPushButton* clearJump_ = nullptr;
    QCheckBox* reverse_ = nullptr;
    QCheckBox* return_ = nullptr;
    QPushButton* trim_ = nullptr;
    QPushButton* simulate_ = nullptr;
    QButtonGroup* choice_ = nullptr;
    QDoubleSpinBox* margin_ = nullptr;
    QLabel* jumpHint_ = nullptr;
    struct TThumb {
        uint64_t Key;
        QIcon Icon;
    };
    std::unordered_map<const TSLStitch*, TThumb> thumbs_;
    int thumbnailsDrawn_ = 0;
};

} // namespace nl
