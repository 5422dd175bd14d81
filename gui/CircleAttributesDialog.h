// The "Circle Attributes Dialog" window: a thin modal view over the controller's circle dialog
// model (ui/CircleDialog). Every accepted entry rebuilds the circle and its parts at once and the
// worksheet redraws behind the dialog; a refused entry shows the previous value again. Cancel,
// Escape and the close box ask the model's question before the dialog goes.
#pragma once
#include <QDialog>
#include <functional>
#include <map>

#include "ui/CircleDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace nl {

class TNL;

class TCircleAttributesDialog : public QDialog {
public:
    explicit TCircleAttributesDialog(TNL& nl, QWidget* parent = nullptr);

    // Shows the dialog modally on the controller's open circle dialog; returns once it is closed.
    // Does nothing when no circle dialog is open.
    void Run();
    // Called after every change of the worksheet (the view redraws).
    std::function<void()> Changed;

    QLineEdit* Field(TCircleField f) const;
    QCheckBox* Check(TCircleToggle t) const;
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // Cancel, Escape and the close box.
    void reject() override;

private:
    TCircleDialog* Model() const;
    // Values and enabled states from the model.
    void Refresh();
    void Entered(TCircleField f);
    void Clicked(TCircleToggle t, bool on);
    // Beside the worksheet view, on the side away from the circle, so the circle stays in sight.
    void PlaceBesideTheCircle();

    TNL& nl_;
    std::map<TCircleField, QLineEdit*> fields_;
    std::map<TCircleField, QLabel*> labels_;
    std::map<TCircleToggle, QCheckBox*> checks_;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace nl
