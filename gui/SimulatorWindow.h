// The "Sewing Simulator" window: the controls of the simulator (play, pause, rewind, stepping by
// stitch and by colour block, the stitch number and its slider, the speed, the view options and
// colours) and what it shows about the design. The design itself is sewn in the worksheet view.
#pragma once
#include <QDockWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSlider;
class QToolButton;
class QPushButton;

namespace nl {

class TSewSimulator;

class TSimulatorWindow : public QDockWidget {
public:
    TSimulatorWindow(TSewSimulator& simulator, QWidget* parent = nullptr);

    // "Exit" or closing the window: the simulation mode ends.
    std::function<void()> OnExit;
    // Colour pickers; tests replace them. Return false when the user cancelled.
    std::function<bool(int32_t& colour, const QString& title)> PickColour;

    // Re-reads the simulator's state into the controls.
    void Refresh();

protected:
    void closeEvent(QCloseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    QToolButton* Button(const QString& name, const QString& text, const QString& hint, int icon);
    void ChooseColour(bool background);

    TSewSimulator& sim_;
    QToolButton* play_ = nullptr;
    QToolButton* rewind_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* forward_ = nullptr;
    QToolButton* blockBack_ = nullptr;
    QToolButton* blockForward_ = nullptr;
    QLineEdit* number_ = nullptr;
    QSlider* slider_ = nullptr;
    QLineEdit* speed_ = nullptr;
    QCheckBox* points_ = nullptr;
    QCheckBox* inView_ = nullptr;
    QComboBox* jumps_ = nullptr;
    QPushButton* background_ = nullptr;
    QPushButton* needle_ = nullptr;
    QLabel* stitches_ = nullptr;
    QLabel* blocks_ = nullptr;
    QLabel* block_ = nullptr;
    QLabel* swatch_ = nullptr;
    QLabel* size_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* exit_ = nullptr;
    int wheelRest_ = 0;
};

} // namespace nl
