// nordelune: the desktop program.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

#include "app/Preferences.h"
#include "gui/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nordelune");
    // The desktop matches the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName("nordelune");
    QApplication::setWindowIcon(QIcon::fromTheme("nordelune"));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);

    nl::TMainWindow window(args);
    // The program's own preferences and the folder of recovery copies (XDG config and data).
    nl::TNL& controller = window.Controller();
    controller.PreferencesPath = nl::PreferencesFile();
    controller.Preferences = nl::LoadPreferences(controller.PreferencesPath);
    controller.Recovery.Folder = nl::UserDataFolder() / "recovery";
    window.UpdateAutosaveTimer();

    // NL_GRAB=file.png [NL_GRAB_DELAY=ms]: saves a picture of the screen once the window has
    // settled and ends the program; used to check the look on machines without a display. Set
    // up before the window is shown, as the start-up may open a message box.
    bool grabbed = false;
    if (const char* grab = std::getenv("NL_GRAB")) {
        int delay = 1500;
        if (const char* d = std::getenv("NL_GRAB_DELAY")) delay = std::atoi(d);
        QString file = QString::fromLocal8Bit(grab);
        QTimer::singleShot(delay, &window, [&window, &grabbed, file] {
            QScreen* screen = QGuiApplication::primaryScreen();
            QPixmap shot = screen ? screen->grabWindow(0) : QPixmap();
            if (shot.isNull() || shot.width() < 10) shot = window.grab();
            shot.save(file);
            grabbed = true;
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
            QApplication::exit(0);
        });
    }
    window.show();
    window.ShowSplash(); // the first showing's work may already run (and end) in here
    if (grabbed) return 0;
    return app.exec();
}
