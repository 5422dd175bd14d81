// The "Rotate Object Dialog" and the "Resize Object Dialog" windows: thin modal views over the
// controller's dialog models (ui/TransformDialogs). Every accepted entry transforms the selection
// at once and the worksheet redraws behind the dialog; a refused entry shows the previous value.
#pragma once
#include <QDialog>
#include <functional>
#include <map>

#include "ui/TransformDialogs.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace nl {

class TNL;

class TRotateObjectDialog : public QDialog {
public:
    explicit TRotateObjectDialog(TNL& nl, QWidget* parent = nullptr);
    std::function<void()> Changed;
    QLineEdit* AngleField() const { return angle_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    void reject() override;

private:
    TNL& nl_;
    QLineEdit* angle_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    void Entered();
};

class TResizeObjectDialog : public QDialog {
public:
    explicit TResizeObjectDialog(TNL& nl, QWidget* parent = nullptr);
    std::function<void()> Changed;
    QLineEdit* Field(TResizeField f) const { return fields_.at(f); }
    QCheckBox* Constrain() const { return constrain_; }
    QCheckBox* Envelopes() const { return envelopes_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* ResetButton() const { return reset_; }
    void reject() override;

private:
    TNL& nl_;
    std::map<TResizeField, QLineEdit*> fields_;
    QCheckBox* constrain_ = nullptr;
    QCheckBox* envelopes_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* cancel_ = nullptr;
    void Refresh();
    void Entered(TResizeField f);
};

} // namespace nl
