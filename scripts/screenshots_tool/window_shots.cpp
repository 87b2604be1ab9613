// Saves main-window.png and about-window.png into the folder it is given:
// the main window as it starts, with a few sentences in its list, and the
// About window.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTableWidget>
#include <QWindow>
#include <cstdio>

#include "app/about_window.h"
#include "app/main_window.h"

namespace {

// Our own sentences, in the category that is selected at start.
const char* const kSentences[] = {
    "问题想清楚了一半，答案就已经走来了一半。",
    "不急着赶路的人，才数得清路边开了几朵花。",
    "灯下读书的人，也替窗外的夜守着一点光。",
};

void AddRow(QTableWidget* list, const QString& sentence, const QString& category) {
    const int row = list->rowCount();
    list->insertRow(row);
    list->setItem(row, 0, new QTableWidgetItem(sentence));
    auto* cell = new QTableWidgetItem(category);
    cell->setTextAlignment(Qt::AlignCenter);
    list->setItem(row, 1, cell);
}

bool ShowAndSave(QWidget* window, const QString& path) {
    window->show();
    // Mapped, painted, and framed where a window manager runs.
    const QDeadlineTimer deadline(5000);
    while (!(window->windowHandle() && window->windowHandle()->isExposed()) && !deadline.hasExpired()) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    const QDeadlineTimer settle(300);
    while (!settle.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 50);

    QPixmap picture;
    const QRect frame = window->frameGeometry();
    if (frame != window->geometry() && window->screen()) {
        picture = window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    } else {
        picture = window->grab();
    }
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "window_shots: could not save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s: %dx%d\n", qPrintable(path), picture.width(), picture.height());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_shots FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));

    auto* window = new quotidia::MainWindow();
    // The created handler's first step, without the Internet check after it.
    window->OnLoopBoxClicked();
    for (const char* sentence : kSentences) AddRow(window->list, QString::fromUtf8(sentence), QStringLiteral("哲学"));
    window->CenterOnScreen();
    bool saved = ShowAndSave(window, folder.filePath("main-window.png"));

    // Shown rather than run: exec() would wait for someone to close it.
    auto* about = new quotidia::AboutWindow(window);
    saved = ShowAndSave(about, folder.filePath("about-window.png")) && saved;

    delete window;
    return saved ? 0 : 1;
}
