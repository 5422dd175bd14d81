// Takes the pictures of the user guide from a scripted session of the real program: the main
// window is driven with mouse clicks and menu commands as a user would, offscreen, and saved at
// each step the guide shows. Run by `make guide-pictures`, which writes docs/guide/images/; run
// it again when the look of the program changes, so the pictures stay true.
//
//   nl_guide_pictures OUTPUT_FOLDER [EXAMPLE.Nl1]
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "app/Folders.h"
#include "app/MainForm.h"
#include "app/OrderMode.h"
#include "core/Colour.h"
#include "formats/PatternFile.h"
#include "gui/MainWindow.h"
#include "gui/PropertiesDialog.h"
#include "gui/QtHost.h"
#include "gui/SimulatorWindow.h"
#include "gui/WorksheetView.h"
#include "stitching/SLStitch.h"
#include "ui/ObjectColour.h"

using namespace nl;

namespace {

QString g_out;
int g_failures = 0;

void Fail(const std::string& what) {
    std::fprintf(stderr, "guide pictures: %s\n", what.c_str());
    ++g_failures;
}

void Settle() {
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QTest::qWait(10);
    }
}

// Saves the widget's picture; `height` > 0 keeps only its top part (the menus, the tool bar and
// the part of the worksheet drawn on).
void Save(QWidget* w, const char* name, int height = 0) {
    Settle();
    const QString file = QDir(g_out).absoluteFilePath(QString(name) + ".png");
    QPixmap shot = w->grab();
    if (height > 0 && height < shot.height()) shot = shot.copy(0, 0, shot.width(), height);
    if (!shot.save(file))
        Fail("could not write " + file.toStdString());
    else
        std::printf("%s\n", file.toLocal8Bit().constData());
}

struct TSession {
    TMainWindow W{{}};

    TSession() {
        // Questions are answered Yes; the session goes on without waiting for a user.
        W.QtHost().AnswerHook = [](const std::string&, const std::string&, TButtons) { return TButton::Yes; };
        W.QtHost().GuideHook = [](const std::string&) { return true; };
        W.resize(1100, 720);
        W.show();
        if (!QTest::qWaitForWindowExposed(&W)) Fail("the window did not show");
        Settle();
    }
    TNL& Nl() { return W.Controller(); }
    void Run(TCommand id) {
        QAction* a = W.Action(id);
        if (!a || !a->isEnabled()) {
            Fail("command not available: " + std::to_string(static_cast<int>(id)));
            return;
        }
        a->trigger();
        Settle();
    }
    void Click(int x, int y, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseClick(W.View(), b, {}, QPoint(x, y));
    }
    // An object drawn point by point, ended with a right click.
    void Draw(TCommand tool, std::initializer_list<QPoint> points) {
        Run(tool);
        for (QPoint p : points)
            Click(p.x(), p.y());
        Click(p_end.x(), p_end.y(), Qt::RightButton);
    }
    void Colour(int index, int32_t colour) {
        if (index < 0 || index >= Nl().Sew.Count()) return Fail("no object to colour");
        SetObjectColour(ColourCarrier(*Nl().Sew[index]), colour, 0, Nl().StitchContext());
    }
    QPoint p_end{5, 5};
};

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nordelune");
    if (argc < 2) {
        std::fprintf(stderr, "usage: nl_guide_pictures OUTPUT_FOLDER [EXAMPLE.Nl1]\n");
        return 1;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_out);

    // The window as it opens on an example design.
    if (argc > 2) {
        TSession s;
        s.Nl().OpenWorksheet(argv[2]);
        s.Nl().View.Zoom = 180;
        s.W.RefreshCommands();
        s.W.View()->update();
        Save(&s.W, "main-window");
    }

    // The first design of "Getting started", drawn as the guide tells it, at one screen pixel per
    // worksheet unit (0.05 mm).
    TSession s;
    s.Nl().View.Zoom = 614;
    s.W.RefreshCommands();
    Settle();
    // An outline: a start point and two segments of three points.
    s.Draw(TCommand::CreateOutline,
           {{60, 80}, {120, 20}, {200, 20}, {250, 80}, {300, 140}, {380, 140}, {430, 80}});
    s.Colour(0, MakeColour(200, 40, 40));
    Save(&s.W, "outline", 300);

    // A curved column: rail A, a right click, rail B.
    s.Run(TCommand::CreateColumn);
    for (QPoint p : {QPoint(520, 60), QPoint(600, 40), QPoint(680, 80), QPoint(760, 60)})
        s.Click(p.x(), p.y());
    s.Click(5, 5, Qt::RightButton);
    for (QPoint p : {QPoint(520, 130), QPoint(600, 110), QPoint(680, 150), QPoint(760, 130)})
        s.Click(p.x(), p.y());
    s.Click(5, 5, Qt::RightButton);
    s.Colour(1, MakeColour(30, 90, 190));
    Save(&s.W, "column", 300);

    // Four lines crossing like a #, and the region between them.
    auto line = [&](int x1, int y1, int x2, int y2) {
        s.Run(TCommand::CreateLine);
        for (int i = 0; i <= 3; ++i)
            s.Click(x1 + (x2 - x1) * i / 3, y1 + (y2 - y1) * i / 3);
        s.Click(5, 5, Qt::RightButton);
    };
    const int ox = 100, oy = 220;
    line(ox + 50, oy + 100, ox + 350, oy + 100);
    line(ox + 300, oy + 50, ox + 300, oy + 350);
    line(ox + 350, oy + 300, ox + 50, oy + 300);
    line(ox + 100, oy + 350, ox + 100, oy + 50);
    const int before = s.Nl().Sew.Count();
    s.Run(TCommand::ModeRegionButton);
    for (QPoint p :
         {QPoint(200, 100), QPoint(206, 100), QPoint(300, 200), QPoint(300, 100), QPoint(200, 300),
          QPoint(300, 300), QPoint(100, 200), QPoint(100, 300), QPoint(150, 100), QPoint(100, 100)})
        s.Click(ox + p.x(), oy + p.y());
    if (s.Nl().Sew.Count() != before + 1) Fail("the region was not closed");
    s.Colour(s.Nl().Sew.Count() - 1, MakeColour(40, 150, 70));
    Save(&s.W, "region");

    // The thread picker on the region's colour.
    s.Nl().Sew.SetCurrent(s.Nl().Sew[s.Nl().Sew.Count() - 1]);
    QTimer::singleShot(300, [] {
        if (QWidget* picker = QApplication::activeModalWidget()) {
            Save(picker, "colours");
            picker->close();
        } else {
            Fail("the colour picker did not open");
        }
    });
    s.Run(TCommand::ColourPalletButton);

    // Object Layout mode: everything selected and bound into one layout group.
    s.Run(TCommand::ModeLayoutButton);
    QTest::mousePress(s.W.View(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(s.W.View(), QPoint(400, 300));
    QTest::mouseRelease(s.W.View(), Qt::LeftButton, {}, QPoint(880, 620));
    Settle();
    s.Run(TCommand::GroupSelection);
    Save(&s.W, "layout");

    // The stitch order mode on the group: the panel with each element's thumbnail, the second
    // element current.
    s.Run(TCommand::ChangeOrder);
    if (s.Nl().Mode() == TMode::ChangeOrder) {
        s.Nl().OrderMode().SetCursor(1);
        s.Nl().OrderChanged();
        Settle();
        Save(&s.W, "order");
        s.Nl().EndOrderMode();
        s.W.RefreshCommands();
        Settle();
    } else {
        Fail("the stitch order mode did not start");
    }

    // The design sewn half way in the simulator.
    s.Run(TCommand::SewHighlighted);
    if (s.Nl().Mode() == TMode::SewSimulation) {
        TSewSimulator& sim = s.Nl().Simulator();
        Settle(); // the view makes room for the simulator window
        // The whole design in the room left beside the simulator window.
        s.Nl().View.Zoom = 380;
        s.Nl().View.ScrollX = s.Nl().View.ScrollY = 0;
        s.W.RefreshCommands();
        sim.GoToStitch(sim.List().Count() * 2 / 3);
        s.W.View()->update();
        Save(&s.W, "simulator");
    } else {
        Fail("the simulation did not start");
    }

    // A column given the shipped "Diamonds" pattern, and its "Prog. Stitch Pattern" page.
    {
        TSession p;
        p.Nl().View.Zoom = 614;
        p.W.RefreshCommands();
        p.Run(TCommand::CreateColumn);
        for (QPoint q : {QPoint(120, 80), QPoint(300, 40), QPoint(480, 120), QPoint(660, 80)})
            p.Click(q.x(), q.y());
        p.Click(5, 5, Qt::RightButton);
        for (QPoint q : {QPoint(120, 200), QPoint(300, 160), QPoint(480, 240), QPoint(660, 200)})
            p.Click(q.x(), q.y());
        p.Click(5, 5, Qt::RightButton);
        p.Colour(0, MakeColour(30, 90, 190));
        TSLStitch* column = p.Nl().Sew.Count() ? p.Nl().Sew[0] : nullptr;
        const std::string file =
            (FoldersOf(p.W.QtHost().ProgramFolder()).Shipped / "Patterns" / "Diamonds.KVP").string();
        try {
            if (!column || !p.Nl().ApplyPattern(*column, *LoadPatternFile(file)))
                Fail("no column to pattern");
        } catch (const std::exception& e) {
            Fail(e.what());
        }
        if (column) {
            p.Nl().Sew.SetCurrent(column);
            p.Nl().ShowProperties(*column);
            TPropertiesDialog* dialog = p.W.Properties();
            if (!dialog->SelectPage("Prog. Stitch Pattern"))
                Fail("no pattern page");
            else
                Save(dialog, "prog-stitch-page");
        }
    }
    return g_failures ? 1 : 0;
}
