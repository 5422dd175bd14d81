// The support object windows: "Frame Sizes" (a tab per hoop maker with a radio button per hoop,
// "Swap Hoop Axes" and the frame information line; modal over the controller's TFrameSizes) and
// the "Embroidery Frame" properties window (the fields and check boxes of TSupportPage that apply
// to the object, plus its kind's buttons; modeless).
#pragma once
#include <QDialog>
#include <functional>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QVBoxLayout;

namespace nl {

class TNL;

class TFrameSizesDialog : public QDialog {
public:
    explicit TFrameSizesDialog(TNL& nl, QWidget* parent = nullptr);
    // Shows the dialog modally on the controller's open model; returns once it is closed.
    void Run();
    std::function<void()> Changed;

    QTabWidget* Tabs() const { return tabs_; }
    QCheckBox* Swap() const { return swap_; }
    QLabel* Info() const { return info_; }
    // The radio button of a preset.
    QAbstractButton* Preset(int tab, int index) const;
    void reject() override; // Cancel restores the frame

private:
    void Refresh();
    TNL& nl_;
    QTabWidget* tabs_ = nullptr;
    QCheckBox* swap_ = nullptr;
    QLabel* info_ = nullptr;
    std::vector<QButtonGroup*> groups_;
    bool refreshing_ = false;
};

class TSupportPropertiesDialog : public QDialog {
public:
    explicit TSupportPropertiesDialog(TNL& nl, QWidget* parent = nullptr);
    // Rebuilds the window for the controller's support page and shows it.
    void ShowPage();
    std::function<void()> Changed;
    QLineEdit* Field(const std::string& caption) const;
    QAbstractButton* Check(const std::string& caption) const;
    QPushButton* Button(const std::string& caption) const;

private:
    void Build();
    void Refresh();
    TNL& nl_;
    QVBoxLayout* rows_ = nullptr;
    QWidget* body_ = nullptr;
    std::vector<std::pair<int, QLineEdit*>> fields_;
    std::vector<std::pair<int, QAbstractButton*>> checks_;
    std::vector<QPushButton*> buttons_;
    bool refreshing_ = false;
};

} // namespace nl
