// Saves the whole screen of $DISPLAY as a PNG file.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: grab_screen FILE.png\n");
        return 2;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    // Window 0 is the root window: everything on the screen.
    if (!screen || !screen->grabWindow(0).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "grab_screen: could not save %s\n", argv[1]);
        return 1;
    }
    return 0;
}
