// The "General" page of the program's properties: the long-stitch highlight limit ("Max
// Length"), "Points Under", and how often unsaved work is copied for recovery.
#pragma once
#include <QDialog>

#include "platform/Host.h"

class QDoubleSpinBox;
class QSpinBox;

namespace nl {

class TGeneralDialog : public QDialog {
public:
    explicit TGeneralDialog(const TGeneralOptions& values, QWidget* parent = nullptr);
    TGeneralOptions Values() const;

    QDoubleSpinBox* MaxLength() const { return maxLength_; }
    QDoubleSpinBox* PointsUnder() const { return pointsUnder_; }
    QSpinBox* Autosave() const { return autosave_; }

private:
    QDoubleSpinBox* maxLength_;
    QDoubleSpinBox* pointsUnder_;
    QSpinBox* autosave_;
};

} // namespace nl
