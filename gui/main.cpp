// nordelune: the desktop program.
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <cstdlib>

#include "gui/MainWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Nordelune");
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);

    nl::TMainWindow window(args);
    window.show();
    window.ShowSplash();

    // NL_GRAB=file.png [NL_GRAB_DELAY=ms]: saves a picture of the screen once the window has
    // settled and ends the program; used to check the look on machines without a display.
    if (const char* grab = std::getenv("NL_GRAB")) {
        int delay = 1500;
        if (const char* d = std::getenv("NL_GRAB_DELAY")) delay = std::atoi(d);
        QString file = QString::fromLocal8Bit(grab);
        QTimer::singleShot(delay, &window, [&window, file] {
            QScreen* screen = QGuiApplication::primaryScreen();
            QPixmap shot = screen ? screen->grabWindow(0) : QPixmap();
            if (shot.isNull() || shot.width() < 10) shot = window.grab();
            shot.save(file);
            QApplication::exit(0);
        });
    }
    return app.exec();
}
