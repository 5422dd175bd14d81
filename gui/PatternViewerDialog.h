// The "Prog. Stitch  Pattern Viewer" window: the controller's pattern entries as 60 x 60
// thumbnails with their names; a click chooses one, "Close" closes without a choice.
#pragma once
#include <QDialog>
#include <functional>

class QListWidget;

namespace nl {

class TNL;

class TPatternViewerDialog : public QDialog {
public:
    explicit TPatternViewerDialog(TNL& nl, QWidget* parent = nullptr);
    // Shows the dialog modally on the controller's open viewer; returns once it is closed.
    void Run();
    QListWidget* List() const { return list_; }

private:
    TNL& nl_;
    QListWidget* list_ = nullptr;
};

} // namespace nl
